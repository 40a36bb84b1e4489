#pragma once
// The file system as the logic asks it: what a path names, and a record added to a log.
// The logic reads and writes nothing else through the system itself.
#include <QByteArray>
#include <QString>

// What a path names, asked once of the file system: the one place where a path that is
// not there is told apart from one that cannot be examined at all.
enum class FileState {
  Missing,  // nothing there (or a folder on the way is missing); an empty path too
  File,     // a regular file, or a link to one
  Folder,
  Other,       // a FIFO, device or socket: nothing to read whole
  Unreadable,  // cannot be examined (permissions, the medium gone, I/O error)
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // `why` (when given) receives the system's reason for Unreadable.
  virtual FileState state(const QString& path, QString* why = nullptr) = 0;

  struct Appended {
    enum class Outcome {
      Written,
      NotRegular,  // a pipe, a device, a folder in the file's place: not written, not waited for
      NotOpened,
      NotWritten,  // opened, but the bytes (or their closing) failed
    };
    Outcome outcome = Outcome::Written;
    QString why;       // the system's reason for NotOpened and NotWritten
    QString leftOver;  // NotWritten: why the part written could not be taken back; empty when it was
    explicit operator bool() const { return outcome == Outcome::Written; }
  };
  // Appends `bytes` whole or not at all, creating the file open to its owner only. Never
  // waits: anything but a regular file is refused.
  virtual Appended append(const QString& path, const QByteArray& bytes) = 0;
};
