#pragma once
// Small rules of reading text that the data files, the search box, the history log, the
// shared blocks and the launcher's lines all follow, each written once.
#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace textrules {

// `text` without the spaces (U+0020, nothing else) at both of its ends.
QStringView trimSpaces(QStringView text);
QByteArrayView trimSpaces(QByteArrayView text);

// A whole number: optional spaces around it, an optional sign, then one or more ASCII
// digits. No hex, fractions, exponents or digit grouping, and no other white space: the
// files and lines read hold plain numbers, and guessing at anything else would hide a
// broken one. The value saturates far beyond every range asked for (so a long run of digits
// cannot overflow into range); callers check their own range.
std::optional<qint64> wholeNumber(QStringView text);
std::optional<qint64> wholeNumber(QByteArrayView text);

// FNV-1a: the hash of the open-addressing tables of names and words.
constexpr std::uint32_t hash(QByteArrayView bytes) {
  std::uint32_t h = 2166136261u;
  for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

}  // namespace textrules
