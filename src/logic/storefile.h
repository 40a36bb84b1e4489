#pragma once
// The reader's own files in the per-user folder (the place kept in the course, the pages
// read, the bookmarks): their shared shape, and the door through which each is read and
// written.
//
// Each is UTF-8 text a person can read: a first line naming the kind and the format version
// ("tavrin bookmarks 1"), then one record per line, fields separated by TAB. No field holds a
// TAB, a line break or any other control character: the names kept cannot hold one
// (readingpages.h), and notes and titles are kept as one paragraph, where they become spaces.
// So nothing needs escaping, and a record reads as it is. Later versions of the format keep
// the first line's shape, so that a file written by a newer reader is told from a damaged one.
//
// A file that cannot be used (damaged, larger than its kind can be, not a regular file, not
// readable, or written by a newer version) is kept as it is: its store is refused for the rest
// of the run, says why once, and writes nothing. Every change writes the whole file, whole or
// not at all, and no more than one change (the last) is ever not yet in the file, so that a
// crash at any moment loses at most the last change.
#include "platform/filesystem.h"
#include "platform/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace store {

// The first line of a file of `kind` at format `version`, with its line end.
QByteArray header(QLatin1StringView kind, int version);

// A record line: its number in the file (from 1, the header's) and its text.
struct Record {
  int line = 0;
  QString text;
};

// The records of a file of `kind` that a reader of format `version` can read, or why it cannot:
// the first line is the kind's header at `version` or before; a UTF-8 byte order mark before it
// is passed over, and an empty file has no records. Lines end at LF; a CR before it is dropped, a last line without one
// is still a line, and blank lines are passed over unless `keepBlank` (then they are records with no text). Every line
// must be UTF-8.
Result<std::vector<Record>> records(QByteArrayView bytes, QLatin1StringView kind, int version, bool keepBlank = false);

// A record's fields: the text cut at each TAB, into at most `most` fields (the last one holds
// the rest).
std::vector<QStringView> fields(QStringView record, int most);

// "line N: " + why, for the reasons a record is refused.
QString atLine(int line, const QString& why);

// How a store's changes reach its file.
enum class Writing {
  // write() returns once the file is written, with the outcome.
  AtOnce,
  // write() hands the bytes to a thread of the file's own and returns at once, unless the change
  // before is still being written: then it waits for that first. So a change costs the caller no
  // disk flush, and still no more than the last change is ever not yet in the file.
  Behind,
};

// One store's file: where it is, whether it may be used this run, and the writing of it.
class StoreFile {
 public:
  // `largest`: the most bytes a file of this kind can hold when full; a larger one is not ours.
  StoreFile(FileSystem& files, QString path, qint64 largest, Writing writing = Writing::AtOnce);
  ~StoreFile();  // the last change written first
  StoreFile(const StoreFile&) = delete;
  StoreFile& operator=(const StoreFile&) = delete;

  const QString& path() const { return path_; }

  // The file's bytes; empty when there is no file yet. Nothing when it cannot be read, and the
  // store is then refused.
  std::optional<QByteArray> read();
  // Refuses the store for the rest of the run, for `why`: the file is never written again.
  void refuse(const QString& why);
  bool refused() const { return !refusal_.isEmpty(); }
  // Why the store is refused; empty when it is not.
  const QString& refusal() const { return refusal_; }

  // Puts `bytes` in the file, whole or not at all, open to its owner only, making the folder
  // when missing; refused when the store is. A write that fails is logged once until a write
  // succeeds again, and told by writeFailure(): the store keeps its change, and its next change
  // writes everything again.
  Done write(QByteArray bytes);
  // Waits until every change handed to write() has been written, or has failed.
  void flush();
  // Why the last write failed; empty when it succeeded, or none was made.
  QString writeFailure() const;

 private:
  void writeNow(const QByteArray& bytes);  // on the caller's thread, or on the writing thread
  void writeBehind();                      // the writing thread

  FileSystem& files_;
  const QString path_;
  const qint64 largest_;
  const Writing writing_;
  QString refusal_;
  bool folderSeen_ = false;  // the writing thread's alone, when writing behind

  mutable std::mutex mutex_;  // guards what follows
  std::condition_variable changed_;
  QString lastFailure_;
  std::optional<QByteArray> pending_;  // handed over, not yet being written
  bool busy_ = false;                  // a change is being written
  bool stopping_ = false;
  std::thread thread_;  // made with the first change written behind
};

// A store kept in one file: what every store tells of its file, said once.
class FileBacked {
 public:
  const QString& path() const { return file_.path(); }
  bool refused() const { return file_.refused(); }
  const QString& refusal() const { return file_.refusal(); }
  // Why the last write failed (empty when it did not): the change stays, and the next one
  // writes everything again.
  QString writeFailure() const { return file_.writeFailure(); }
  // Waits until every change is in the file (or has failed to be written).
  void flush() { file_.flush(); }

 protected:
  FileBacked(FileSystem& files, QString path, qint64 largest, Writing writing)
      : file_(files, std::move(path), largest, writing) {}

  StoreFile file_;
};

}  // namespace store
