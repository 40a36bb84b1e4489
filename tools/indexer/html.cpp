#include "html.h"

#include "logic/codepage.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace indexer {

namespace {

bool isAsciiLetter(QChar c) { return (c.unicode() | 0x20) >= u'a' && (c.unicode() | 0x20) <= u'z'; }
bool isAsciiAlnum(QChar c) { return isAsciiLetter(c) || (c >= u'0' && c <= u'9'); }
bool isHtmlSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

// The named character references of HTML 4 and "apos", sorted by name.
struct Entity {
  const char* name;
  char32_t code;
};
// clang-format off
constexpr Entity kEntities[] = {
    {"AElig", 0xC6}, {"Aacute", 0xC1}, {"Acirc", 0xC2}, {"Agrave", 0xC0}, {"Alpha", 0x391}, {"Aring", 0xC5},
    {"Atilde", 0xC3}, {"Auml", 0xC4}, {"Beta", 0x392}, {"Ccedil", 0xC7}, {"Chi", 0x3A7}, {"Dagger", 0x2021},
    {"Delta", 0x394}, {"ETH", 0xD0}, {"Eacute", 0xC9}, {"Ecirc", 0xCA}, {"Egrave", 0xC8}, {"Epsilon", 0x395},
    {"Eta", 0x397}, {"Euml", 0xCB}, {"Gamma", 0x393}, {"Iacute", 0xCD}, {"Icirc", 0xCE}, {"Igrave", 0xCC},
    {"Iota", 0x399}, {"Iuml", 0xCF}, {"Kappa", 0x39A}, {"Lambda", 0x39B}, {"Mu", 0x39C}, {"Ntilde", 0xD1},
    {"Nu", 0x39D}, {"OElig", 0x152}, {"Oacute", 0xD3}, {"Ocirc", 0xD4}, {"Ograve", 0xD2}, {"Omega", 0x3A9},
    {"Omicron", 0x39F}, {"Oslash", 0xD8}, {"Otilde", 0xD5}, {"Ouml", 0xD6}, {"Phi", 0x3A6}, {"Pi", 0x3A0},
    {"Prime", 0x2033}, {"Psi", 0x3A8}, {"Rho", 0x3A1}, {"Scaron", 0x160}, {"Sigma", 0x3A3}, {"THORN", 0xDE},
    {"Tau", 0x3A4}, {"Theta", 0x398}, {"Uacute", 0xDA}, {"Ucirc", 0xDB}, {"Ugrave", 0xD9}, {"Upsilon", 0x3A5},
    {"Uuml", 0xDC}, {"Xi", 0x39E}, {"Yacute", 0xDD}, {"Yuml", 0x178}, {"Zeta", 0x396}, {"aacute", 0xE1},
    {"acirc", 0xE2}, {"acute", 0xB4}, {"aelig", 0xE6}, {"agrave", 0xE0}, {"alefsym", 0x2135}, {"alpha", 0x3B1},
    {"amp", 0x26}, {"and", 0x2227}, {"ang", 0x2220}, {"apos", 0x27}, {"aring", 0xE5}, {"asymp", 0x2248},
    {"atilde", 0xE3}, {"auml", 0xE4}, {"bdquo", 0x201E}, {"beta", 0x3B2}, {"brvbar", 0xA6}, {"bull", 0x2022},
    {"cap", 0x2229}, {"ccedil", 0xE7}, {"cedil", 0xB8}, {"cent", 0xA2}, {"chi", 0x3C7}, {"circ", 0x2C6},
    {"clubs", 0x2663}, {"cong", 0x2245}, {"copy", 0xA9}, {"crarr", 0x21B5}, {"cup", 0x222A}, {"curren", 0xA4},
    {"dArr", 0x21D3}, {"dagger", 0x2020}, {"darr", 0x2193}, {"deg", 0xB0}, {"delta", 0x3B4}, {"diams", 0x2666},
    {"divide", 0xF7}, {"eacute", 0xE9}, {"ecirc", 0xEA}, {"egrave", 0xE8}, {"empty", 0x2205}, {"emsp", 0x2003},
    {"ensp", 0x2002}, {"epsilon", 0x3B5}, {"equiv", 0x2261}, {"eta", 0x3B7}, {"eth", 0xF0}, {"euml", 0xEB},
    {"euro", 0x20AC}, {"exist", 0x2203}, {"fnof", 0x192}, {"forall", 0x2200}, {"frac12", 0xBD}, {"frac14", 0xBC},
    {"frac34", 0xBE}, {"frasl", 0x2044}, {"gamma", 0x3B3}, {"ge", 0x2265}, {"gt", 0x3E}, {"hArr", 0x21D4},
    {"harr", 0x2194}, {"hearts", 0x2665}, {"hellip", 0x2026}, {"iacute", 0xED}, {"icirc", 0xEE}, {"iexcl", 0xA1},
    {"igrave", 0xEC}, {"image", 0x2111}, {"infin", 0x221E}, {"int", 0x222B}, {"iota", 0x3B9}, {"iquest", 0xBF},
    {"isin", 0x2208}, {"iuml", 0xEF}, {"kappa", 0x3BA}, {"lArr", 0x21D0}, {"lambda", 0x3BB}, {"lang", 0x2329},
    {"laquo", 0xAB}, {"larr", 0x2190}, {"lceil", 0x2308}, {"ldquo", 0x201C}, {"le", 0x2264}, {"lfloor", 0x230A},
    {"lowast", 0x2217}, {"loz", 0x25CA}, {"lrm", 0x200E}, {"lsaquo", 0x2039}, {"lsquo", 0x2018}, {"lt", 0x3C},
    {"macr", 0xAF}, {"mdash", 0x2014}, {"micro", 0xB5}, {"middot", 0xB7}, {"minus", 0x2212}, {"mu", 0x3BC},
    {"nabla", 0x2207}, {"nbsp", 0xA0}, {"ndash", 0x2013}, {"ne", 0x2260}, {"ni", 0x220B}, {"not", 0xAC},
    {"notin", 0x2209}, {"nsub", 0x2284}, {"ntilde", 0xF1}, {"nu", 0x3BD}, {"oacute", 0xF3}, {"ocirc", 0xF4},
    {"oelig", 0x153}, {"ograve", 0xF2}, {"oline", 0x203E}, {"omega", 0x3C9}, {"omicron", 0x3BF}, {"oplus", 0x2295},
    {"or", 0x2228}, {"ordf", 0xAA}, {"ordm", 0xBA}, {"oslash", 0xF8}, {"otilde", 0xF5}, {"otimes", 0x2297},
    {"ouml", 0xF6}, {"para", 0xB6}, {"part", 0x2202}, {"permil", 0x2030}, {"perp", 0x22A5}, {"phi", 0x3C6},
    {"pi", 0x3C0}, {"piv", 0x3D6}, {"plusmn", 0xB1}, {"pound", 0xA3}, {"prime", 0x2032}, {"prod", 0x220F},
    {"prop", 0x221D}, {"psi", 0x3C8}, {"quot", 0x22}, {"rArr", 0x21D2}, {"radic", 0x221A}, {"rang", 0x232A},
    {"raquo", 0xBB}, {"rarr", 0x2192}, {"rceil", 0x2309}, {"rdquo", 0x201D}, {"real", 0x211C}, {"reg", 0xAE},
    {"rfloor", 0x230B}, {"rho", 0x3C1}, {"rlm", 0x200F}, {"rsaquo", 0x203A}, {"rsquo", 0x2019}, {"sbquo", 0x201A},
    {"scaron", 0x161}, {"sdot", 0x22C5}, {"sect", 0xA7}, {"shy", 0xAD}, {"sigma", 0x3C3}, {"sigmaf", 0x3C2},
    {"sim", 0x223C}, {"spades", 0x2660}, {"sub", 0x2282}, {"sube", 0x2286}, {"sum", 0x2211}, {"sup", 0x2283},
    {"sup1", 0xB9}, {"sup2", 0xB2}, {"sup3", 0xB3}, {"supe", 0x2287}, {"szlig", 0xDF}, {"tau", 0x3C4},
    {"there4", 0x2234}, {"theta", 0x3B8}, {"thetasym", 0x3D1}, {"thinsp", 0x2009}, {"thorn", 0xFE}, {"tilde", 0x2DC},
    {"times", 0xD7}, {"trade", 0x2122}, {"uArr", 0x21D1}, {"uacute", 0xFA}, {"uarr", 0x2191}, {"ucirc", 0xFB},
    {"ugrave", 0xF9}, {"uml", 0xA8}, {"upsih", 0x3D2}, {"upsilon", 0x3C5}, {"uuml", 0xFC}, {"weierp", 0x2118},
    {"xi", 0x3BE}, {"yacute", 0xFD}, {"yen", 0xA5}, {"yuml", 0xFF}, {"zeta", 0x3B6}, {"zwj", 0x200D},
    {"zwnj", 0x200C},
};
// clang-format on

std::optional<char32_t> namedEntity(QStringView name) {
  char buffer[16];
  if (name.size() >= qsizetype(sizeof buffer)) return std::nullopt;
  for (qsizetype i = 0; i < name.size(); ++i) buffer[i] = char(name[i].unicode());
  buffer[name.size()] = 0;
  const auto* end = std::end(kEntities);
  const auto* it = std::lower_bound(std::begin(kEntities), end, buffer,
                                    [](const Entity& e, const char* n) { return std::strcmp(e.name, n) < 0; });
  if (it == end || std::strcmp(it->name, buffer) != 0) return std::nullopt;
  return it->code;
}

// Decodes the character reference at html[i] == '&' into `out` and returns the index after
// it; a '&' that starts no known reference is itself.
qsizetype appendReference(QStringView html, qsizetype i, QString& out) {
  const qsizetype n = html.size();
  qsizetype p = i + 1;
  if (p < n && html[p] == u'#') {
    ++p;
    const bool hex = p < n && (html[p] == u'x' || html[p] == u'X');
    if (hex) ++p;
    const qsizetype digits = p;
    char32_t value = 0;
    for (; p < n; ++p) {
      const char16_t c = html[p].unicode();
      int d = -1;
      if (c >= u'0' && c <= u'9')
        d = c - u'0';
      else if (hex && (c | 0x20) >= u'a' && (c | 0x20) <= u'f')
        d = (c | 0x20) - u'a' + 10;
      if (d < 0) break;
      if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + char32_t(d);
    }
    if (p == digits) {
      out += u'&';
      return i + 1;
    }
    if (p < n && html[p] == u';') ++p;
    if (value >= 0x80 && value <= 0x9F) {
      // As browsers do: these numbers stand for the Windows-1252 characters of those codes.
      const char byte = char(value);
      out += cp1252::decode(QByteArrayView(&byte, 1));
    } else if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      out += QChar(QChar::ReplacementCharacter);
    } else {
      const char32_t code[1] = {value};
      out += QString::fromUcs4(code, 1);
    }
    return p;
  }
  qsizetype end = p;
  while (end < n && isAsciiAlnum(html[end])) ++end;
  if (end < n && html[end] == u';' && end > p) {
    if (const auto code = namedEntity(html.sliced(p, end - p))) {
      const char32_t c[1] = {*code};
      out += QString::fromUcs4(c, 1);
      return end + 1;
    }
  }
  out += u'&';
  return i + 1;
}

QString decodeReferences(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    if (text[i] == u'&') {
      i = appendReference(text, i, out);
    } else {
      out += text[i++];
    }
  }
  return out;
}

QString collapseSpaces(QStringView text) {
  QString out;
  out.reserve(text.size());
  bool space = false;
  for (QChar c : text) {
    if (isHtmlSpace(c)) {
      space = !out.isEmpty();
      continue;
    }
    if (space) out += u' ';
    space = false;
    out += c;
  }
  return out;
}

// The index just past the '>' that ends the tag whose name ends at `i`; quoted attribute
// values may hold '>'.
qsizetype tagEnd(QStringView html, qsizetype i) {
  const qsizetype n = html.size();
  while (i < n && html[i] != u'>') {
    if (html[i] != u'=') {
      ++i;
      continue;
    }
    ++i;
    while (i < n && isHtmlSpace(html[i])) ++i;
    if (i < n && (html[i] == u'"' || html[i] == u'\'')) {
      const qsizetype close = html.indexOf(html[i], i + 1);
      i = close < 0 ? n : close + 1;
    }
  }
  return i < n ? i + 1 : n;
}

// Where the raw text of a <script>, <style> or <title> that starts at `i` ends: at its end
// tag, or at the end of the page.
qsizetype rawTextEnd(QStringView html, qsizetype i, QStringView endTag) {
  const qsizetype at = html.indexOf(endTag, i, Qt::CaseInsensitive);
  return at < 0 ? html.size() : at;
}

// Reads a page from start to end: the text outside <head>, tags and comments as blanks, the
// spans of it that lie within <main>, and the first title.
class PageReader {
 public:
  explicit PageReader(QStringView html) : html_(html) { text_.reserve(html.size()); }

  PageContent read() {
    for (qsizetype i = 0; i < html_.size();) {
      if (html_[i] == u'&') {
        i = inHead_ ? i + 1 : appendReference(html_, i, text_);
      } else if (html_[i] == u'<') {
        i = markup(i);
      } else {
        qsizetype end = i + 1;
        while (end < html_.size() && html_[end] != u'<' && html_[end] != u'&') ++end;
        if (!inHead_) text_ += html_.sliced(i, end - i);
        i = end;
      }
    }
    if (mainDepth_ > 0) mainSpans_.emplace_back(mainBegin_, text_.size());

    PageContent page;
    page.title = std::move(title_);
    if (!sawMain_) {
      page.text = std::move(text_);
      return page;
    }
    for (const auto& [begin, end] : mainSpans_) {
      page.text += QStringView(text_).sliced(begin, end - begin);
      page.text += u' ';
    }
    return page;
  }

 private:
  static bool is(QStringView name, QStringView tag) {
    return name.size() == tag.size() && name.compare(tag, Qt::CaseInsensitive) == 0;
  }

  // At a '<': a comment, a declaration or processing instruction, a tag, or a '<' that is
  // text. Returns where reading goes on.
  qsizetype markup(qsizetype i) {
    const qsizetype n = html_.size();
    if (i + 1 == n) {
      if (!inHead_) text_ += u'<';
      return n;
    }
    const QChar next = html_[i + 1];
    if (html_.sliced(i).startsWith(u"<!--")) {
      const qsizetype end = html_.indexOf(u"-->", i + 4);
      text_ += u' ';
      return end < 0 ? n : end + 3;
    }
    if (next == u'!' || next == u'?') {
      const qsizetype end = html_.indexOf(u'>', i + 2);
      text_ += u' ';
      return end < 0 ? n : end + 1;
    }
    const bool endTag = next == u'/';
    const qsizetype nameBegin = i + (endTag ? 2 : 1);
    if (nameBegin >= n || !isAsciiLetter(html_[nameBegin])) {
      if (!inHead_) text_ += u'<';  // a '<' that starts no tag is text
      return i + 1;
    }
    qsizetype nameEnd = nameBegin;
    while (nameEnd < n && (isAsciiAlnum(html_[nameEnd]) || html_[nameEnd] == u'-' || html_[nameEnd] == u':')) ++nameEnd;
    const QStringView name = html_.sliced(nameBegin, nameEnd - nameBegin);
    const qsizetype after = tagEnd(html_, nameEnd);
    text_ += u' ';
    if (endTag) {
      closed(name);
      return after;
    }
    return opened(name, after);
  }

  void closed(QStringView name) {
    if (is(name, u"head")) {
      inHead_ = false;
    } else if (is(name, u"main") && mainDepth_ > 0 && --mainDepth_ == 0) {
      mainSpans_.emplace_back(mainBegin_, text_.size());
    }
  }

  // The start tag `name` ends before `i`; returns where reading goes on.
  qsizetype opened(QStringView name, qsizetype i) {
    if (is(name, u"script") || is(name, u"style"))
      return rawTextEnd(html_, i, is(name, u"script") ? QStringView(u"</script") : QStringView(u"</style"));
    if (is(name, u"title")) {
      const qsizetype end = rawTextEnd(html_, i, u"</title");
      if (!titleSeen_) title_ = collapseSpaces(decodeReferences(html_.sliced(i, end - i)));
      titleSeen_ = true;
      return end;
    }
    if (is(name, u"head")) {
      inHead_ = true;
    } else if (is(name, u"main")) {
      if (mainDepth_++ == 0) mainBegin_ = text_.size();
      sawMain_ = true;
      inHead_ = false;
    } else if (!is(name, u"meta") && !is(name, u"link") && !is(name, u"base") && !is(name, u"noscript") &&
               !is(name, u"template")) {
      // <body>, or any element that cannot stand in <head>, ends it, as in a browser.
      inHead_ = false;
    }
    return i;
  }

  const QStringView html_;
  QString text_;
  QString title_;
  bool titleSeen_ = false;
  bool inHead_ = false;
  // The text of the <main> elements, as spans of text_.
  std::vector<std::pair<qsizetype, qsizetype>> mainSpans_;
  int mainDepth_ = 0;
  bool sawMain_ = false;
  qsizetype mainBegin_ = 0;
};

}  // namespace

QString decodePage(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return cp1252::decode(bytes);
}

PageContent parsePage(QStringView html) { return PageReader(html).read(); }

}  // namespace indexer
