#include "logic/textrules.h"

namespace textrules {

namespace {

constexpr char32_t unit(char c) { return static_cast<unsigned char>(c); }
constexpr char32_t unit(QChar c) { return c.unicode(); }

template <typename View>
View trim(View text) {
  qsizetype b = 0;
  qsizetype e = text.size();
  while (b < e && unit(text[b]) == U' ') ++b;
  while (e > b && unit(text[e - 1]) == U' ') --e;
  return text.sliced(b, e - b);
}

// Past this the value only grows by digits that can no longer bring it into any range.
constexpr qint64 kSaturation = qint64(1) << 40;

template <typename View>
std::optional<qint64> whole(View text) {
  text = trim(text);
  bool negative = false;
  if (!text.isEmpty() && (unit(text[0]) == U'+' || unit(text[0]) == U'-')) {
    negative = unit(text[0]) == U'-';
    text = text.sliced(1);
  }
  if (text.isEmpty()) return std::nullopt;
  qint64 value = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char32_t digit = unit(text[i]) - U'0';
    if (digit > 9) return std::nullopt;
    if (value < kSaturation) value = value * 10 + digit;
  }
  return negative ? -value : value;
}

}  // namespace

QStringView trimSpaces(QStringView text) { return trim(text); }
QByteArrayView trimSpaces(QByteArrayView text) { return trim(text); }

std::optional<qint64> wholeNumber(QStringView text) { return whole(text); }
std::optional<qint64> wholeNumber(QByteArrayView text) { return whole(text); }

}  // namespace textrules
