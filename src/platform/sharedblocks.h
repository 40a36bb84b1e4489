#pragma once
// The four named shared-memory blocks that the reader, its launcher copies and the two
// simulators share: their names and sizes, and the interface through which this program
// reads and writes them.
#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>

namespace blocks {

enum class Block { QXwav, AmpvalePrev, AmpvaleEnd, AmpvaleName };
// The order in which the blocks are opened and released.
inline constexpr std::array<Block, 4> kAll = {Block::QXwav, Block::AmpvalePrev, Block::AmpvaleEnd, Block::AmpvaleName};

inline constexpr qsizetype kNameBytes = 255;  // bytes of "AmpvaleName"

inline const char* name(Block block) {
  switch (block) {
    case Block::QXwav: return "QXwav";
    case Block::AmpvalePrev: return "AmpvalePrev";
    case Block::AmpvaleEnd: return "AmpvaleEnd";
    case Block::AmpvaleName: return "AmpvaleName";
  }
  return "";
}

inline qsizetype size(Block block) {
  switch (block) {
    case Block::QXwav: return 255;
    case Block::AmpvalePrev:
    case Block::AmpvaleEnd: return 1;
    case Block::AmpvaleName: return kNameBytes;
  }
  return 0;
}

// The blocks as this program reaches them. Every write starts at offset 0 and is followed
// by a flush of the bytes written; a copy that has no view of a block reads and writes
// nothing there and goes on.
class SharedBlocks {
 public:
  virtual ~SharedBlocks() = default;
  // The whole block, or nothing when this copy has no view of it.
  virtual std::optional<QByteArray> read(Block block) = 0;
  // Writes `bytes` from offset 0 (at most the block's size); false without a view.
  virtual bool write(Block block, QByteArrayView bytes) = 0;
  // Flushes the first `count` bytes of the view to the block; false without a view.
  virtual bool flush(Block block, qsizetype count) = 0;
};

}  // namespace blocks
