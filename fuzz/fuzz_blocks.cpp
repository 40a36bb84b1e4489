// The bytes of the shared blocks. The input's first byte chooses which views this copy lacks
// ("QXwav" bit 0, "AmpvaleName" bit 1, "AmpvalePrev" bit 2), the kind handed over (bits 3
// and 4: none, Trivex, Ampvale, the next byte) and the padding of a written request (bit 5:
// blanks or NUL characters); the rest is read three ways: as the bytes of "QXwav" (its
// first 255) and "AmpvaleName" (the 255 after them) left by some peer, as a request block
// of any length, and as UTF-16LE text that this program writes.
//
// Reading must give what the layouts say, worked out plainly: the request's 127
// characters cut at the first NUL and trimmed of blanks, the name's bytes up to the first
// zero as UTF-8. Writing must give the layouts byte for byte, and a request text
// without NUL and without blanks at its ends must come back whole. The poll over the
// fuzzed blocks must take a pending request, clear only its first byte, and read the name.
#include "fuzzing.h"

#include "logic/blocks.h"
#include "support/fakeblocks.h"

#include <QString>
#include <QStringList>

#include <cstring>
#include <optional>

using blocks::Block;

namespace {

QString expectedRequest(QByteArrayView bytes) {
  QString text;
  for (qsizetype i = 0; i < blocks::kRequestChars && 2 * i + 1 < bytes.size(); ++i) {
    const char16_t c = char16_t(quint8(bytes[2 * i]) + 256 * quint8(bytes[2 * i + 1]));
    if (c == 0) break;
    text += QChar(c);
  }
  while (text.startsWith(u' ')) text.remove(0, 1);
  while (text.endsWith(u' ')) text.chop(1);
  return text;
}

QByteArray expectedRequestBytes(QStringView text, char16_t padding) {
  QByteArray bytes;
  for (qsizetype i = 0; i < blocks::kRequestChars; ++i) {
    const char16_t c = i < text.size() ? text[i].unicode() : padding;
    bytes += char(c % 256);
    bytes += char(c / 256);
  }
  return bytes + '\0';
}

// The path in UTF-8 and zeros after it; nothing for more than 254 bytes.
std::optional<QByteArray> expectedName(QStringView path) {
  QByteArray bytes = path.toUtf8();
  if (bytes.size() >= blocks::kNameBytes) return std::nullopt;
  bytes.resize(blocks::kNameBytes, '\0');
  return bytes;
}

QString expectedNameText(QByteArrayView bytes) {
  const qsizetype end = bytes.indexOf('\0');
  return QString::fromUtf8(end < 0 ? bytes : bytes.first(end));
}

bool firstByteSet(QByteArrayView bytes) { return !bytes.isEmpty() && bytes[0] != '\0'; }

// A block of 255 bytes: the input's from `from` on, zeros where it ends.
QByteArray block(QByteArrayView bytes, qsizetype from) {
  QByteArray b = bytes.toByteArray().mid(from, 255);
  b.resize(255, '\0');
  return b;
}

void checkPoll(QByteArrayView rest, quint8 flags) {
  FakeSharedBlocks peer;
  peer.content[Block::QXwav] = block(rest, 0);
  peer.content[Block::AmpvaleName] = block(rest, 255);
  peer.content[Block::AmpvalePrev] = QByteArray(1, '\x07');
  if (flags & 1) peer.dropView(Block::QXwav);
  if (flags & 2) peer.dropView(Block::AmpvaleName);
  if (flags & 4) peer.dropView(Block::AmpvalePrev);
  const auto before = peer.content;

  const bool pending = peer.content.contains(Block::QXwav) && firstByteSet(peer.content[Block::QXwav]);
  const bool open = peer.content.contains(Block::AmpvaleName) && firstByteSet(peer.content[Block::AmpvaleName]);
  QStringList log;
  if (peer.content.contains(Block::QXwav)) log << QStringLiteral("read QXwav");
  if (pending) log << QStringLiteral("write QXwav 1") << QStringLiteral("flush QXwav 1");
  if (peer.content.contains(Block::AmpvaleName)) log << QStringLiteral("read AmpvaleName");

  const blocks::Poll found = blocks::poll(peer);
  fuzzing::same("poll: request taken", found.request.has_value(), pending);
  if (pending) fuzzing::same("poll: request", *found.request, expectedRequest(before.at(Block::QXwav)));
  fuzzing::same("poll: exercise open", found.exerciseOpen, open);
  fuzzing::same("poll: reads and writes", peer.log, log);
  auto after = before;
  if (pending) after[Block::QXwav][0] = '\0';
  if (peer.content != after) fuzzing::fail("poll changed more than the request's first byte");

  // Taken once: the next poll finds nothing pending and the same name.
  const blocks::Poll again = blocks::poll(peer);
  fuzzing::same("poll again: request taken", again.request.has_value(), false);
  fuzzing::same("poll again: exercise open", again.exerciseOpen, open);

  // A launcher hands an exercise over, name first, then the kind; the return window clears it.
  std::optional<quint8> kind;
  switch ((flags >> 3) & 3) {
    case 1: kind = blocks::kKindTrivex; break;
    case 2: kind = blocks::kKindAmpvale; break;
    case 3: kind = rest.isEmpty() ? quint8(0) : quint8(rest[0]); break;
  }
  QString path(rest.size() / 2, Qt::Uninitialized);
  std::memcpy(path.data(), rest.data(), size_t(path.size()) * 2);
  peer.log.clear();
  const auto name = expectedName(path);
  fuzzing::same("writeExercise: taken", blocks::writeExercise(peer, path, kind), name.has_value());
  QStringList written;
  if (name && peer.content.contains(Block::AmpvaleName)) {
    written << QStringLiteral("write AmpvaleName 255") << QStringLiteral("flush AmpvaleName 255");
    fuzzing::same("written name", peer.content[Block::AmpvaleName], *name);
    after[Block::AmpvaleName] = *name;
  }
  if (name && kind && peer.content.contains(Block::AmpvalePrev)) {
    written << QStringLiteral("write AmpvalePrev 1") << QStringLiteral("flush AmpvalePrev 1");
    after[Block::AmpvalePrev] = QByteArray(1, char(*kind));
  }
  fuzzing::same("writeExercise: writes", peer.log, written);
  if (peer.content != after) fuzzing::fail("writeExercise wrote elsewhere");
  fuzzing::same("poll after the hand-over", blocks::poll(peer).exerciseOpen,
                peer.content.contains(Block::AmpvaleName) && firstByteSet(after[Block::AmpvaleName]));
  blocks::shutOffWithfile(peer);
  fuzzing::same("poll after the return window", blocks::poll(peer).exerciseOpen, false);
  if (peer.content.contains(Block::AmpvaleName) && peer.content[Block::AmpvaleName] != QByteArray(255, '\0'))
    fuzzing::fail("shutOffWithfile left bytes in the name");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView input = fuzzing::bytes(data, size);
  const quint8 flags = input.isEmpty() ? 0 : quint8(input[0]);
  const QByteArrayView rest = input.isEmpty() ? input : input.sliced(1);

  // Reading what a peer left, at any length.
  fuzzing::same("requestPending", blocks::requestPending(rest), firstByteSet(rest));
  fuzzing::same("nameStands", blocks::nameStands(rest), firstByteSet(rest));
  fuzzing::same("decodeRequest", blocks::decodeRequest(rest), expectedRequest(rest));
  fuzzing::same("decodeName", blocks::decodeName(rest), expectedNameText(rest));

  // Writing a request and a name.
  QString text(rest.size() / 2, Qt::Uninitialized);
  std::memcpy(text.data(), rest.data(), size_t(text.size()) * 2);
  const char16_t padding = (flags & 0x20) ? u'\0' : u' ';
  const QByteArray request = blocks::encodeRequest(text, padding);
  fuzzing::same("encodeRequest", request, expectedRequestBytes(text, padding));
  fuzzing::same("request read back", blocks::decodeRequest(request), expectedRequest(request));
  const QString clean = expectedRequest(request);  // at most 127 characters, no NUL, no blanks at the ends
  fuzzing::same("clean request read back", blocks::decodeRequest(blocks::encodeRequest(clean, padding)), clean);
  if (text.size() <= blocks::kRequestChars && !text.contains(QChar(0)) && !text.startsWith(u' ') &&
      !text.endsWith(u' '))
    fuzzing::same("request round trip", blocks::decodeRequest(request), text);

  const auto name = blocks::encodeName(text);
  fuzzing::same("encodeName", name.value_or(QByteArray()), expectedName(text).value_or(QByteArray()));
  if (name) {
    fuzzing::same("name read back", blocks::decodeName(*name), expectedNameText(*name));
    if (!text.contains(QChar(0)) && text == QString::fromUtf8(text.toUtf8()))
      fuzzing::same("name round trip", blocks::decodeName(*name), text);
  }

  checkPoll(rest, flags);
  return 0;
}
