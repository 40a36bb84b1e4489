#pragma once
// The shared-memory blocks in memory, with every write and flush recorded in order.
#include "logic/blocks.h"

#include <QStringList>

#include <map>

class FakeSharedBlocks : public blocks::SharedBlocks {
 public:
  FakeSharedBlocks() {
    for (blocks::Block b : blocks::kAll) content[b] = QByteArray(blocks::size(b), '\0');
  }

  std::optional<QByteArray> read(blocks::Block b) override {
    if (!content.contains(b)) return std::nullopt;
    log << QStringLiteral("read %1").arg(blocks::name(b));
    return content[b];
  }
  bool write(blocks::Block b, QByteArrayView bytes) override {
    if (!content.contains(b)) return false;
    log << QStringLiteral("write %1 %2").arg(blocks::name(b)).arg(bytes.size());
    content[b].replace(0, bytes.size(), bytes.toByteArray());
    return true;
  }
  bool flush(blocks::Block b, qsizetype count) override {
    if (!content.contains(b)) return false;
    log << QStringLiteral("flush %1 %2").arg(blocks::name(b)).arg(count);
    return true;
  }

  // A copy that has no view of `b`.
  void dropView(blocks::Block b) { content.erase(b); }

  std::map<blocks::Block, QByteArray> content;
  QStringList log;  // "read <block>", "write <block> <bytes>", "flush <block> <bytes>"
};
