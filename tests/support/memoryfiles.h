#pragma once
// A file system in memory, for fuzzers and tests of stores that must run fast and touch no
// disk: files are byte arrays by path, folders a set of paths.
#include "platform/filesystem.h"

#include <QHash>
#include <QSet>

class MemoryFileSystem : public FileSystem {
 public:
  Result<FileState> state(const QString& path) override {
    if (files.contains(path)) return FileState::File;
    return folders.contains(path) ? FileState::Folder : FileState::Missing;
  }
  Result<QByteArray> readWhole(const QString& path, qint64 limit) override {
    const auto it = files.constFind(path);
    if (it == files.cend()) return Result<QByteArray>::failed(QStringLiteral("there is no such file"));
    if (it->size() > limit) return Result<QByteArray>::failed(QStringLiteral("it is larger than %1 bytes").arg(limit));
    return *it;
  }
  Done writeWhole(const QString& path, const QByteArray& bytes) override {
    files.insert(path, bytes);
    return {};
  }
  Result<void, AppendFailure> append(const QString& path, const QByteArray& bytes) override {
    files[path] += bytes;
    return {};
  }
  Done remove(const QString& path) override {
    files.remove(path);
    return {};
  }
  Done makePrivateFolder(const QString& path) override {
    folders.insert(path);
    return {};
  }
  QHash<QString, QByteArray> files;
  QSet<QString> folders;
};
