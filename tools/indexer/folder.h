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
// `progress` hears of every page read.
Result<Output> indexFolder(const QString& folder, const Progress& progress = {});

// Writes "files.qx" and "words.qx" into `folder`, each whole or not at all. The error, or
// nothing.
std::optional<QString> writeOutput(const Output& output, const QString& folder);

}  // namespace indexer
