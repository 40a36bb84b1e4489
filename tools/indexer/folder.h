#pragma once
// A course folder read and its two files written: the program's only file I/O.
#include "builder.h"
#include "platform/result.h"

#include <QString>

#include <functional>
#include <optional>

namespace indexer {

using Progress = std::function<void(int done, int total)>;
// Reads the pages of `folder` (its own files, not its sub-folders) and makes both files.
// `progress` hears of every page read. When the course cannot be indexed the reason is one
// line per problem: every refused page (name and reason) in course order, then what
// overflows either file, then a summary line that counts them.
Result<Output> indexFolder(const QString& folder, const Progress& progress = {});

// Writes "files.qx" and "words.qx" into `folder`, each whole or not at all. The error, or
// nothing.
std::optional<QString> writeOutput(const Output& output, const QString& folder);

}  // namespace indexer
