#pragma once
// The file system as the program asks it: the one door through which the logic and the
// windows read, write, remove and make anything on disk.
#include "platform/result.h"

#include <QByteArray>
#include <QString>

// What a path names, asked once of the file system. A path that cannot be examined at all
// (permissions, the medium gone, I/O error) is a failure with the system's reason.
enum class FileState {
  Missing,  // nothing there (or a folder on the way is missing); an empty path too
  File,     // a regular file, or a link to one
  Folder,
  Other,  // a FIFO, device or socket: nothing to read whole
};

// Why an append failed, told apart because each is said differently: a pipe in the
// file's place is said once, a record that cannot be taken back before the one that failed.
struct AppendFailure {
  enum class Stage {
    NotRegular,  // a pipe, a device, a folder in the file's place: not written, not waited for
    NotOpened,
    NotWritten,  // opened, but the bytes (or their closing) failed
  };
  Stage stage = Stage::NotWritten;
  QString why;       // the system's reason for NotOpened and NotWritten
  QString leftOver;  // NotWritten: why the part written could not be taken back; empty when it was
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual Result<FileState> state(const QString& path) = 0;

  // The whole of a regular file of at most `limit` bytes. Anything else (a pipe, which could
  // keep the reader waiting for ever, a folder, a larger file) is refused with the reason.
  virtual Result<QByteArray> readWhole(const QString& path, qint64 limit) = 0;
  // Puts `bytes` in the file whole or not at all: written to a file beside it, flushed, and
  // renamed over it, open to its owner only. A reader of the file sees the old bytes or
  // the new ones, whatever happens to the program or the machine in between.
  virtual Done writeWhole(const QString& path, const QByteArray& bytes) = 0;
  // Appends `bytes` whole or not at all, creating the file open to its owner only. Never
  // waits: anything but a regular file is refused.
  virtual Result<void, AppendFailure> append(const QString& path, const QByteArray& bytes) = 0;
  // Removes the file; done when there is none.
  virtual Done remove(const QString& path) = 0;
  // Makes the folder and its parents; the folder itself open to its owner only.
  virtual Done makePrivateFolder(const QString& path) = 0;
};
