#include "logic/blocks.h"

#include "logic/textrules.h"

namespace blocks {

std::optional<QByteArray> encodeName(QStringView path) {
  QByteArray bytes = path.toUtf8();
  if (bytes.size() > kNameMaxPathBytes) return std::nullopt;
  bytes.resize(kNameBytes, '\0');
  return bytes;
}

QString decodeName(QByteArrayView bytes) {
  const qsizetype end = bytes.indexOf('\0');
  return QString::fromUtf8(end < 0 ? bytes : bytes.first(end));
}

bool nameStands(QByteArrayView bytes) { return !bytes.isEmpty() && bytes[0] != '\0'; }

bool requestPending(QByteArrayView bytes) { return !bytes.isEmpty() && bytes[0] != '\0'; }

QString decodeRequest(QByteArrayView bytes) {
  QString text;
  for (qsizetype i = 0; i + 1 < bytes.size() && text.size() < kRequestChars; i += 2) {
    const char16_t c = char16_t(quint8(bytes[i]) | quint8(bytes[i + 1]) << 8);
    if (c == 0) break;
    text.append(QChar(c));
  }
  return textrules::trimSpaces(text).toString();
}

bool isMediaRequest(QStringView text) {
  if (text.size() != 5 || text[0] != u'v') return false;
  for (const QChar c : text.sliced(1))
    if (c < u'0' || c > u'9') return false;
  return true;
}

QByteArray encodeRequest(QStringView text, char16_t padding) {
  QByteArray bytes(size(Block::QXwav), '\0');
  for (qsizetype i = 0; i < kRequestChars; ++i) {
    const char16_t c = i < text.size() ? text[i].unicode() : padding;
    bytes[2 * i] = char(c & 0xFF);
    bytes[2 * i + 1] = char(c >> 8);
  }
  return bytes;
}

namespace {
void writeByte(SharedBlocks& blocks, Block block, quint8 value) {
  const char byte = char(value);
  blocks.write(block, QByteArrayView(&byte, 1));
  blocks.flush(block, 1);
}
}  // namespace

void resetCourseEnded(SharedBlocks& blocks) { writeByte(blocks, Block::AmpvaleEnd, kCourseRunning); }

void shutOffQX(SharedBlocks& blocks) { writeByte(blocks, Block::AmpvaleEnd, kCourseEnded); }

void shutOffWithfile(SharedBlocks& blocks) {
  blocks.write(Block::AmpvaleName, QByteArray(kNameBytes, '\0'));
  blocks.flush(Block::AmpvaleName, kNameBytes);
}

bool writeExercise(SharedBlocks& blocks, QStringView path, std::optional<quint8> kind) {
  const auto name = encodeName(path);
  if (!name) return false;
  blocks.write(Block::AmpvaleName, *name);
  blocks.flush(Block::AmpvaleName, kNameBytes);
  if (kind) writeByte(blocks, Block::AmpvalePrev, *kind);
  return true;
}

Poll poll(SharedBlocks& blocks) {
  Poll found;
  if (const auto request = blocks.read(Block::QXwav); request && requestPending(*request)) {
    found.request = decodeRequest(*request);
    writeByte(blocks, Block::QXwav, 0);
  }
  if (const auto name = blocks.read(Block::AmpvaleName)) found.exerciseOpen = nameStands(*name);
  return found;
}

}  // namespace blocks
