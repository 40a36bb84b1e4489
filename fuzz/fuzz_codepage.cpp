// Windows-1252 both ways. The input is read twice: as bytes, which must decode to as many
// characters and encode back to the same bytes; and as UTF-16 text, whose every character
// must encode to its own byte or, when the code page has none, to the replacement. The
// upper case of every byte must be the code page's byte of the character's upper case.
#include "fuzzing.h"

#include "logic/codepage.h"

#include <QString>

#include <array>
#include <cstring>

namespace {

// The byte of every character that has one, from the decoding of all 256 bytes.
std::array<int, 65536> byteOf;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  byteOf.fill(-1);
  for (int b = 0; b < 256; ++b) {
    const char c = char(b);
    const QString s = cp1252::decode(QByteArrayView(&c, 1));
    if (s.size() != 1 || byteOf[s[0].unicode()] != -1) fuzzing::fail("decode of one byte", b);
    byteOf[s[0].unicode()] = b;
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView bytes = fuzzing::bytes(data, size);
  const QString decoded = cp1252::decode(bytes);
  fuzzing::same("decoded size", decoded.size(), bytes.size());
  const Result<QByteArray> again = cp1252::encodeExactly(decoded);
  fuzzing::same("bytes round trip is exact", bool(again), true);
  fuzzing::same("bytes round trip", again.value_or(QByteArray()), bytes);

  for (const QChar c : decoded) {
    const QString upper = QString(c).toUpper();
    const unsigned char b = static_cast<unsigned char>(byteOf[c.unicode()]);
    const int expected = upper.size() == 1 && byteOf[upper[0].unicode()] >= 0 ? byteOf[upper[0].unicode()] : b;
    fuzzing::same("upper", int(cp1252::upper(b)), expected, " of byte ", int(b));
  }

  if (size < 1) return 0;
  const char replacement = char(data[0]);
  QString text(qsizetype((size - 1) / 2), Qt::Uninitialized);
  std::memcpy(text.data(), data + 1, size_t(text.size()) * 2);
  const QByteArray encoded = cp1252::encode(text, replacement);
  fuzzing::same("encoded size", encoded.size(), text.size());
  bool all = true;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int b = byteOf[text[i].unicode()];
    all = all && b >= 0;
    fuzzing::same("encoded byte", int(static_cast<unsigned char>(encoded[i])),
                  b >= 0 ? b : int(static_cast<unsigned char>(replacement)), " of character ", i);
  }
  const Result<QByteArray> exact = cp1252::encodeExactly(text);
  fuzzing::same("encoded exactly", bool(exact), all);
  if (exact) fuzzing::same("exact bytes", *exact, encoded);
  return 0;
}
