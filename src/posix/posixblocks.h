#pragma once
// The named blocks as POSIX shared-memory objects "/<prefix><block>.<uid>", one set per
// user, each created with mode 0600 and held open from open() to close(). They are read
// and written through their descriptors (pread, pwrite), never through a mapping: another
// process of the user may change an object's size at any moment, and a mapping touched
// past the object's end ends the process, where a read only comes up short.
//
// A block that no live process holds starts zeroed. Every process attached to a block
// holds a shared flock on its companion lock file "<prefix><block>.<uid>.lock" in the
// shared-memory folder; whoever gets that lock exclusively (when it attaches, or when it lets
// go) is alone and zeroes the block. A holder that crashed drops its lock with its
// process, so the next one to attach finds itself alone.
#include "platform/sharedblocks.h"

#include <QString>
#include <QStringList>

#include <array>

class PosixBlocks : public blocks::SharedBlocks {
 public:
  // `prefix` keeps tests apart from a real reader; `lockFolder` defaults to /dev/shm, where
  // the blocks themselves are (or /tmp where there is no such folder).
  explicit PosixBlocks(QString prefix = {}, QString lockFolder = {});
  ~PosixBlocks() override;  // close()
  PosixBlocks(const PosixBlocks&) = delete;
  PosixBlocks& operator=(const PosixBlocks&) = delete;

  // Opens the four blocks in order. Returns the messages to show the user, in
  // order: "Can't create file map" for a block that could not be opened or created, and
  // "Can't create map view" for every block left without a view, then one message naming
  // the files of other users that stood in the way. The blocks that did open work
  // whatever happened to the others. A block open to other users is made afresh.
  QStringList open();
  // Lets go of the blocks in order, zeroing each one this process turns out to be the
  // last to hold. Safe to call twice.
  void close();

  std::optional<QByteArray> read(blocks::Block block) override;
  bool write(blocks::Block block, QByteArrayView bytes) override;
  bool flush(blocks::Block block, qsizetype count) override;

  // "/<prefix><block>.<uid>": the name other programs open the block by.
  static QString objectName(blocks::Block block, const QString& prefix = {});
  QString lockPath(blocks::Block block) const;

  static const char* const kCannotCreateMap;   // "Can't create file map"
  static const char* const kCannotCreateView;  // "Can't create map view"

 private:
  struct View {
    int fd = -1;  // the object, open for reading and writing; -1 when this copy has no view
    int lockFd = -1;
    qsizetype size = 0;
  };
  View& view(blocks::Block block) { return views_[static_cast<size_t>(block)]; }
  int lock(blocks::Block block, bool& alone);
  int attach(blocks::Block block);
  bool sizeHolds(blocks::Block block);
  void zero(blocks::Block block);

  QString prefix_;
  QString lockFolder_;
  std::array<View, blocks::kAll.size()> views_;
  QStringList foreign_;  // files of other users met by open(), with what is wrong with them
};
