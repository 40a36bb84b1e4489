#pragma once
// What the fuzzers share: cutting one input into its parts, silencing the logging, and
// stopping with a message when two implementations disagree.
#include <QByteArray>
#include <QByteArrayView>
#include <QDebug>
#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzzing {

inline QByteArrayView bytes(const std::uint8_t* data, std::size_t size) {
  return QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input cut at its first `count - 1` NUL bytes into `count` parts; parts the input
// does not reach are absent. The last part may hold NUL bytes.
inline std::vector<QByteArrayView> split(QByteArrayView input, int count) {
  std::vector<QByteArrayView> parts;
  while (int(parts.size()) < count - 1) {
    const qsizetype nul = input.indexOf('\0');
    if (nul < 0) break;
    parts.push_back(input.first(nul));
    input = input.sliced(nul + 1);
  }
  parts.push_back(input);
  return parts;
}

// The little-endian 32-bit number at `index` (counted in numbers) of `bytes`; the bytes the
// input does not reach count as zero.
inline qint32 int32At(QByteArrayView bytes, qsizetype index) {
  quint32 value = 0;
  for (qsizetype i = 0; i < 4; ++i) {
    const qsizetype at = index * 4 + i;
    if (at < bytes.size()) value |= quint32(quint8(bytes[at])) << (8 * i);
  }
  return qint32(value);
}

// The warnings about broken data files are expected here, millions of times.
inline void quiet() { QLoggingCategory::setFilterRules(QStringLiteral("tavrin.*=false")); }

template <typename... Shown>
[[noreturn]] void fail(const char* what, const Shown&... shown) {
  std::fprintf(stderr, "==== MISMATCH: %s\n", what);
  (qWarning().nospace() << ... << shown);
  std::fflush(stderr);
  std::abort();
}

template <typename A, typename B, typename... Shown>
void same(const char* what, const A& a, const B& b, const Shown&... shown) {
  if (!(a == b)) fail(what, "got ", a, " expected ", b, " ", shown...);
}

}  // namespace fuzzing
