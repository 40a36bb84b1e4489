#include "logic/codepage.h"

namespace {

// Unicode code points of the bytes 0x80..0x9F; 0 marks the five unused bytes.
// clang-format off
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
// clang-format on

}  // namespace

namespace {

// The byte of one UTF-16 unit; -1 when Windows-1252 has none.
int byteOf(char16_t c) {
  const bool unusedC1 = c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] == 0;
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || unusedC1) return c;
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c && c != 0) return 0x80 + i;
  return -1;
}

}  // namespace

QByteArray cp1252::encode(QStringView text, char replacement) {
  QByteArray out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int byte = byteOf(text[i].unicode());
    out[i] = byte < 0 ? replacement : static_cast<char>(byte);
  }
  return out;
}

Result<QByteArray> cp1252::encodeExactly(QStringView text) {
  QByteArray out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int byte = byteOf(text[i].unicode());
    if (byte >= 0) {
      out[i] = static_cast<char>(byte);
      continue;
    }
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    const char32_t code = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
    return Result<QByteArray>::failed(QStringLiteral("\"%1\" (U+%2)")
                                          .arg(text.sliced(i, pair ? 2 : 1).toString(),
                                               QString::number(quint32(code), 16).toUpper().rightJustified(4, u'0')));
  }
  return out;
}

QString cp1252::decode(QByteArrayView bytes) {
  QString out;
  out.resize(bytes.size());
  QChar* d = out.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    // The five unused bytes map to the C1 controls of the same value, as Windows does.
    d[i] = QChar(b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] ? kHigh[b - 0x80] : char16_t(b));
  }
  return out;
}
