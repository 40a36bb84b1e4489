#pragma once
// Windows-1252, the code page of the course's data files, the history log and the
// exercise-name block. Qt 6 has no built-in converter for it, so it lives here.
#include "platform/result.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace cp1252 {

// Characters with no Windows-1252 code become `replacement`.
QByteArray encode(QStringView text, char replacement = '?');
// The bytes of `text` when Windows-1252 can write every character of it; else why not: the
// first character it cannot write, as "\"Ω\" (U+03A9)".
Result<QByteArray> encodeExactly(QStringView text);
QString decode(QByteArrayView bytes);

namespace detail {
constexpr std::array<unsigned char, 256> makeUpper() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 32);
  t[0x9A] = 0x8A;  // š Š
  t[0x9C] = 0x8C;  // œ Œ
  t[0x9E] = 0x8E;  // ž Ž
  t[0xFF] = 0x9F;  // ÿ Ÿ
  return t;
}
inline constexpr std::array<unsigned char, 256> kUpper = makeUpper();
}  // namespace detail

// Upper case of one Windows-1252 byte, as the system's upper-casing does it:
// ASCII letters, the accented Latin-1 letters, and š œ ž ÿ; ß, µ and ÷ stay.
constexpr unsigned char upper(unsigned char c) { return detail::kUpper[c]; }

// The upper case of `from`, byte by byte, written to `to` (room for from.size() bytes; it
// may be from's own bytes).
inline void upper(QByteArrayView from, char* to) {
  for (qsizetype i = 0; i < from.size(); ++i) to[i] = static_cast<char>(upper(static_cast<unsigned char>(from[i])));
}
inline void upperInPlace(QByteArray& bytes) {
  char* data = bytes.data();  // detaches first: the view below must see the bytes written to
  upper(QByteArrayView(data, bytes.size()), data);
}

}  // namespace cp1252
