#pragma once
// The file system through POSIX calls.
#include "platform/filesystem.h"

class PosixFileSystem : public FileSystem {
 public:
  Result<FileState> state(const QString& path) override;
  Result<QByteArray> readWhole(const QString& path, qint64 limit) override;
  Done writeWhole(const QString& path, const QByteArray& bytes) override;
  Result<void, AppendFailure> append(const QString& path, const QByteArray& bytes) override;
  Done remove(const QString& path) override;
  Done makePrivateFolder(const QString& path) override;
};
