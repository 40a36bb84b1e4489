#include "logic/searchquery.h"

#include "logic/codepage.h"
#include "logic/textrules.h"

namespace search {

using textrules::trimSpaces;

Term toTerm(QStringView text) {
  std::optional<QByteArray> bytes = cp1252::encodeExactly(text).take();
  if (bytes) cp1252::upperInPlace(*bytes);
  return bytes;
}

Query parseQuery(QStringView input) {
  const QStringView text = trimSpaces(input);
  Query q;
  if (text.isEmpty()) return q;
  const qsizetype space = text.indexOf(u' ');
  if (space < 0) {
    q.words = 1;
    q.first = toTerm(text);
    return q;
  }
  q.words = 2;
  q.first = toTerm(text.first(space));
  QStringView rest = trimSpaces(text.sliced(space + 1));
  const qsizetype next = rest.indexOf(u' ');
  if (next >= 0) rest = rest.first(next);
  q.second = toTerm(rest);
  return q;
}

const CaseFold& caseFold() {
  static const CaseFold fold = [] {
    CaseFold f;
    for (int b = 0; b < 256; ++b) {
      const auto upper = cp1252::upper(static_cast<unsigned char>(b));
      if (upper == b) continue;
      const char lower = char(b);
      const char folded = char(upper);
      f.from += cp1252::decode(QByteArrayView(&lower, 1));
      f.to += cp1252::decode(QByteArrayView(&folded, 1));
    }
    return f;
  }();
  return fold;
}

}  // namespace search
