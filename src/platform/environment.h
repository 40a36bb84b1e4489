#pragma once
// The process environment as the start-up decisions read it; tests hand in a table.
#include <QString>

#include <functional>

using Environment = std::function<QString(const char* name)>;
