#include "indexer.h"

#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/pagenames.h"
#include "logic/textrules.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace indexer {

using search::kCapacity;

namespace {

// ---- pages ----

bool isModulePage(QStringView name) { return name.startsWith(u"qx") && pages::moduleOf(name).has_value(); }

// ---- HTML ----

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

// ---- words ----

// Calls take(key) for every run of letters and digits in `text` that holds at least two
// letters and that Windows-1252 can write, with `key` holding it upper-cased in
// Windows-1252. Stop words are not told apart here.
template <typename Take>
void forEachWord(QStringView text, QByteArray& key, Take take) {
  const QChar* const s = text.data();
  const qsizetype n = text.size();
  qsizetype i = 0;
  // Length of the character at i (2 for a surrogate pair) when it is a letter or a digit,
  // else 0; `letter` says which.
  const auto wordChar = [s, n](qsizetype i, bool& letter) -> int {
    const char16_t c = s[i].unicode();
    if (c < 0x80) {
      letter = (c | 0x20) >= u'a' && (c | 0x20) <= u'z';
      return letter || (c >= u'0' && c <= u'9') ? 1 : 0;
    }
    if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate()) {
      const char32_t code = QChar::surrogateToUcs4(c, s[i + 1].unicode());
      letter = QChar::isLetter(code);
      return QChar::isLetterOrNumber(code) ? 2 : 0;
    }
    letter = QChar::isLetter(c);
    return QChar::isLetterOrNumber(c) ? 1 : 0;
  };
  while (i < n) {
    bool letter = false;
    int len = wordChar(i, letter);
    if (!len) {
      ++i;
      continue;
    }
    const qsizetype begin = i;
    int letters = 0;
    bool ascii = true;
    do {
      letters += letter;
      ascii = ascii && s[i].unicode() < 0x80;
      i += len;
    } while (i < n && (len = wordChar(i, letter)) != 0);
    if (letters < 2) continue;
    const QStringView word(s + begin, i - begin);
    if (ascii) {
      key.resize(word.size());
      char* k = key.data();
      for (qsizetype j = 0; j < word.size(); ++j) k[j] = char(s[begin + j].unicode());
      cp1252::upperInPlace(key);
    } else {
      bool ok = true;
      key = cp1252::encode(word, '?', &ok);
      if (!ok) continue;
      cp1252::upperInPlace(key);
    }
    take(key);
  }
}

constexpr const char* kStopWords[] = {
    "a",     "about",  "above",  "after", "again",   "against", "all",     "also",   "am",    "an",    "and",
    "any",   "are",    "as",     "at",    "be",      "because", "been",    "before", "being", "below", "between",
    "both",  "but",    "by",     "can",   "could",   "did",     "do",      "does",   "doing", "down",  "during",
    "each",  "either", "every",  "few",   "for",     "from",    "further", "had",    "has",   "have",  "having",
    "he",    "her",    "here",   "hers",  "him",     "his",     "how",     "if",     "in",    "into",  "is",
    "it",    "its",    "itself", "just",  "may",     "me",      "might",   "more",   "most",  "much",  "must",
    "my",    "no",     "nor",    "not",   "now",     "of",      "off",     "on",     "once",  "one",   "only",
    "or",    "other",  "our",    "ours",  "out",     "over",    "own",     "per",    "same",  "she",   "should",
    "so",    "some",   "such",   "than",  "that",    "the",     "their",   "theirs", "them",  "then",  "there",
    "these", "they",   "this",   "those", "through", "thus",    "to",      "too",    "under", "until", "up",
    "upon",  "very",   "was",    "we",    "were",    "what",    "when",    "where",  "which", "while", "who",
    "whom",  "why",    "will",   "with",  "within",  "would",   "yet",     "you",    "your",  "yours"};

QByteArray upperStopWord(const char* w) {
  QByteArray u(w);
  cp1252::upperInPlace(u);
  return u;
}

// The stop words upper-cased, sorted.
const std::vector<QByteArray>& upperStopWords() {
  static const std::vector<QByteArray> words = [] {
    std::vector<QByteArray> w;
    for (const char* s : kStopWords) w.push_back(upperStopWord(s));
    std::sort(w.begin(), w.end());
    return w;
  }();
  return words;
}

// Slots of the word table: a power of two, over twice the words and stop words it can hold.
constexpr std::uint32_t kSlots = 32768;
static_assert(kSlots > 2 * (kCapacity + std::size(kStopWords)));

// The first character of `text` that Windows-1252 cannot write, as "“Ω” (U+03A9)".
std::optional<QString> firstUnwritable(QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype len = 1;
    char32_t code = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      code = QChar::surrogateToUcs4(text[i], text[i + 1]);
      len = 2;
    }
    bool ok = true;
    cp1252::encode(text.sliced(i, len), '?', &ok);
    if (!ok) {
      return QStringLiteral("\"%1\" (U+%2)")
          .arg(text.sliced(i, len).toString())
          .arg(QString::number(quint32(code), 16).toUpper().rightJustified(4, u'0'));
    }
    i += len - 1;
  }
  return std::nullopt;
}

}  // namespace

// ---- pages ----

Role roleOf(QStringView name) {
  if (name.size() <= 3 || !name.endsWith(u".qx") || pages::isCourseClassPage(name)) return Role::Skipped;
  switch (pages::dispatch(name)) {
    case pages::Arrival::Video:
    case pages::Arrival::Narration:
    case pages::Arrival::ClassPage:
    case pages::Arrival::SearchTrigger:
    case pages::Arrival::IndexTrigger:
    case pages::Arrival::HistTrigger: return Role::Skipped;
    case pages::Arrival::StartPage: return name == pages::startPage(1) ? Role::Indexed : Role::Listed;
    case pages::Arrival::ContentsPage: return name == pages::contentsPage(1) ? Role::Indexed : Role::Listed;
    case pages::Arrival::ModuleTable:
    case pages::Arrival::Ordinary: break;
  }
  return Role::Indexed;
}

std::vector<CataloguedPage> catalogue(const QStringList& names) {
  struct Ranked {
    int rank;
    const QString* name;
    bool indexed;
  };
  std::vector<Ranked> ranked;
  ranked.reserve(size_t(names.size()));
  for (const QString& name : names) {
    const Role role = roleOf(name);
    if (role == Role::Skipped) continue;
    const int rank = pages::isStartPage(name) ? 0 : pages::isContentsPage(name) ? 1 : isModulePage(name) ? 2 : 3;
    ranked.push_back({rank, &name, role == Role::Indexed});
  }
  std::sort(ranked.begin(), ranked.end(),
            [](const Ranked& a, const Ranked& b) { return a.rank != b.rank ? a.rank < b.rank : *a.name < *b.name; });
  std::vector<CataloguedPage> out;
  out.reserve(ranked.size());
  for (const Ranked& r : ranked) out.push_back({*r.name, r.indexed});
  return out;
}

// ---- what a page holds ----

QString decodePage(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return cp1252::decode(bytes);
}

PageContent parsePage(QStringView html) {
  PageContent page;
  bool titleSeen = false;
  QString text;
  text.reserve(html.size());
  bool inHead = false;
  // The text of the <main> elements, as spans of `text`.
  std::vector<std::pair<qsizetype, qsizetype>> mainSpans;
  int mainDepth = 0;
  bool sawMain = false;
  qsizetype mainBegin = 0;

  const qsizetype n = html.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = html[i];
    if (c == u'&') {
      if (inHead) {
        ++i;
      } else {
        i = appendReference(html, i, text);
      }
      continue;
    }
    if (c != u'<') {
      qsizetype end = i + 1;
      while (end < n && html[end] != u'<' && html[end] != u'&') ++end;
      if (!inHead) text += html.sliced(i, end - i);
      i = end;
      continue;
    }
    if (i + 1 == n) {
      if (!inHead) text += c;
      break;
    }
    const QChar next = html[i + 1];
    if (html.sliced(i).startsWith(u"<!--")) {
      const qsizetype end = html.indexOf(u"-->", i + 4);
      i = end < 0 ? n : end + 3;
      text += u' ';
      continue;
    }
    if (next == u'!' || next == u'?') {
      const qsizetype end = html.indexOf(u'>', i + 2);
      i = end < 0 ? n : end + 1;
      text += u' ';
      continue;
    }
    const bool endTag = next == u'/';
    const qsizetype nameBegin = i + (endTag ? 2 : 1);
    if (nameBegin >= n || !isAsciiLetter(html[nameBegin])) {
      if (!inHead) text += c;  // a '<' that starts no tag is text
      ++i;
      continue;
    }
    qsizetype nameEnd = nameBegin;
    while (nameEnd < n && (isAsciiAlnum(html[nameEnd]) || html[nameEnd] == u'-' || html[nameEnd] == u':')) ++nameEnd;
    const QStringView name = html.sliced(nameBegin, nameEnd - nameBegin);
    const auto is = [name](QStringView tag) {
      return name.size() == tag.size() && name.compare(tag, Qt::CaseInsensitive) == 0;
    };
    i = tagEnd(html, nameEnd);
    text += u' ';
    if (endTag) {
      if (is(u"head")) {
        inHead = false;
      } else if (is(u"main") && mainDepth > 0 && --mainDepth == 0) {
        mainSpans.emplace_back(mainBegin, text.size());
      }
      continue;
    }
    if (is(u"script") || is(u"style")) {
      i = rawTextEnd(html, i, is(u"script") ? QStringView(u"</script") : QStringView(u"</style"));
    } else if (is(u"title")) {
      const qsizetype end = rawTextEnd(html, i, u"</title");
      if (!titleSeen) page.title = collapseSpaces(decodeReferences(html.sliced(i, end - i)));
      titleSeen = true;
      i = end;
    } else if (is(u"head")) {
      inHead = true;
    } else if (is(u"main")) {
      if (mainDepth++ == 0) mainBegin = text.size();
      sawMain = true;
      inHead = false;
    } else if (!is(u"meta") && !is(u"link") && !is(u"base") && !is(u"noscript") && !is(u"template")) {
      // <body>, or any element that cannot stand in <head>, ends it, as in a browser.
      inHead = false;
    }
  }
  if (mainDepth > 0) mainSpans.emplace_back(mainBegin, text.size());

  if (!sawMain) {
    page.text = std::move(text);
    return page;
  }
  for (const auto& [begin, end] : mainSpans) {
    page.text += QStringView(text).sliced(begin, end - begin);
    page.text += u' ';
  }
  return page;
}

QList<QByteArray> wordsOf(QStringView text) {
  QList<QByteArray> out;
  QByteArray key;
  forEachWord(text, key, [&out](const QByteArray& word) {
    if (!std::binary_search(upperStopWords().begin(), upperStopWords().end(), word)) out << word;
  });
  return out;
}

QList<QByteArray> stopWords() {
  QList<QByteArray> out;
  for (const char* w : kStopWords) out << QByteArray(w);
  return out;
}

QString rulesText() {
  QString stop;
  qsizetype line = 0;
  for (const char* w : kStopWords) {
    const qsizetype len = qsizetype(std::strlen(w));
    if (line > 0 && line + 1 + len > 74) {
      stop += QStringLiteral("\n    ");
      line = 0;
    } else if (line > 0) {
      stop += u' ';
      ++line;
    }
    stop += QLatin1String(w);
    line += len;
  }
  return QStringLiteral(
             "Pages:\n"
             "  The pages are the files directly in <pages> whose names end in \".qx\", read as\n"
             "  UTF-8, or as Windows-1252 when they are not valid UTF-8. Left out, as the reader\n"
             "  never shows them as pages of their own: the layout variants modMML.qx, objMML.qx,\n"
             "  revMML.qx, qxpracL.qx, qxsummL.qx, qxtechL.qx and qxtvidL.qx (the reader picks the\n"
             "  variant for the screen itself); the trigger pages search.qx, index.qx and hist.qx;\n"
             "  the media pages title.qx and every name that begins with \"fig\", \"ttv\" or \"v\".\n"
             "  files.qx numbers the others in this order: the start pages qxa.qx to qxg.qx, the\n"
             "  contents pages qxcra.qx to qxcrg.qx, the module pages (\"qx\" and a two-digit\n"
             "  module number) by name, then every other page by name. A page's title is its\n"
             "  <title>, with character references decoded and white space collapsed; a page\n"
             "  without a title is titled with its name. The start and contents pages of layouts\n"
             "  b to g are numbered, so that the history can title them, but their words are not\n"
             "  indexed: they hold the words of layout a's, and a search should list a page once.\n"
             "\n"
             "Words:\n"
             "  A page's words are those of the text inside its <main> elements, or, in a page\n"
             "  without <main>, of its whole text outside <head>. Tags, comments, scripts, styles\n"
             "  and the title do not count, and every tag separates words. A word is a run of\n"
             "  letters and digits that holds at least two letters: \"74HC00\" is a word, \"2N3904\"\n"
             "  and \"50\" are not, and \"Ohm's\" gives \"Ohm\". Words are upper-cased by the rules of\n"
             "  Windows-1252 (\"Widerstände\" is indexed as \"WIDERSTÄNDE\", and the reader's search\n"
             "  ignores case); a word that holds a character Windows-1252 cannot write, such as\n"
             "  \"kΩ\", is left out, as no search could find it. These common words are left out:\n"
             "    %1\n"
             "  words.qx lists the words in the order of their Windows-1252 codes (so \"ZENER\"\n"
             "  comes before \"ÄNDERUNG\"), each with the numbers of the pages that hold it in\n"
             "  ascending order; the search lists a word's pages in that order.\n"
             "\n"
             "Refused (nothing is written, and the exit status is 1):\n"
             "  more than %2 pages to number, or more than %2 different words; a page\n"
             "  name or title with a character that Windows-1252 cannot write; a page name\n"
             "  that holds a TAB or a line break; a folder without pages; a page that cannot\n"
             "  be read.\n")
      .arg(stop)
      .arg(kCapacity);
}

// ---- the two files ----

Builder::Builder() : slots_(kSlots, 0) {
  for (const QByteArray& w : upperStopWords()) entries_[size_t(entryOf(w, true))].stop = true;
  stopWords_ = int(entries_.size());
}

int Builder::entryOf(const QByteArray& word, bool room) {
  for (std::uint32_t i = textrules::hash(word) & (kSlots - 1);; i = (i + 1) & (kSlots - 1)) {
    if (slots_[i] == 0) {
      if (!room) return -1;
      entries_.push_back({word, false, {}});
      slots_[i] = std::uint16_t(entries_.size());
      return int(entries_.size()) - 1;
    }
    if (entries_[slots_[i] - 1u].word == word) return slots_[i] - 1;
  }
}

std::optional<QString> Builder::addPage(const QString& name, const PageContent& content, bool indexed) {
  if (pages_ == kCapacity)
    return QStringLiteral("%1: more than %2 pages to list, but files.qx holds at most %2").arg(name).arg(kCapacity);
  if (const auto bad = firstUnwritable(name))
    return QStringLiteral("%1: the page name holds %2, which Windows-1252 cannot write").arg(name, *bad);
  if (!search::fitsNameField(name))
    return QStringLiteral("%1: the page name holds a TAB or a line break, which files.qx cannot hold").arg(name);
  const QString& title = content.title.isEmpty() ? name : content.title;
  if (const auto bad = firstUnwritable(title))
    return QStringLiteral("%1: the title holds %2, which Windows-1252 cannot write").arg(name, *bad);

  ++pages_;
  search::appendPageLine(files_, pages_, cp1252::encode(name), cp1252::encode(title));
  if (!indexed) return std::nullopt;
  return addWords(name, content.text);
}

std::optional<QString> Builder::addWords(const QString& name, QStringView text) {
  std::optional<QString> refusal;
  forEachWord(text, key_, [&](const QByteArray& word) {
    if (refusal) return;
    const bool room = int(entries_.size()) - stopWords_ < kCapacity;
    const int k = entryOf(word, room);
    if (k < 0) {
      refusal = QStringLiteral("%1: the word \"%2\" is one more than the %3 different words that words.qx holds")
                    .arg(name, cp1252::decode(word))
                    .arg(kCapacity);
      return;
    }
    Entry& entry = entries_[size_t(k)];
    if (entry.stop) return;
    if (entry.pages.empty() || entry.pages.back() != pages_) entry.pages.push_back(std::uint16_t(pages_));
  });
  return refusal;
}

Output Builder::finish() const {
  std::vector<const Entry*> order;
  order.reserve(entries_.size());
  for (const Entry& e : entries_)
    if (!e.stop) order.push_back(&e);
  // Compared as unsigned bytes, as the reader's search compares them.
  const auto view = [](const Entry* e) { return std::string_view(e->word.constData(), size_t(e->word.size())); };
  std::sort(order.begin(), order.end(), [&view](const Entry* a, const Entry* b) { return view(a) < view(b); });

  Output out;
  out.filesQx = files_;
  out.pages = pages_;
  out.words = int(order.size());
  qsizetype size = 0;
  for (const Entry* e : order) size += e->word.size() + 3 + qsizetype(e->pages.size()) * 6;
  out.wordsQx.reserve(size);
  for (const Entry* e : order) search::appendWordLine(out.wordsQx, e->word, e->pages);
  return out;
}

Outcome indexFolder(const QString& folder, const Progress& progress) {
  const QDir dir(folder);
  if (!dir.exists()) return {std::nullopt, QStringLiteral("%1: no such folder").arg(folder)};
  const std::vector<CataloguedPage> pages = catalogue(dir.entryList(QDir::Files, QDir::NoSort));
  if (pages.empty()) return {std::nullopt, QStringLiteral("%1 holds no course pages (files named *.qx)").arg(folder)};
  if (pages.size() > size_t(kCapacity))
    return {std::nullopt, QStringLiteral("%1 holds %2 pages to list, but files.qx holds at most %3")
                              .arg(folder)
                              .arg(pages.size())
                              .arg(kCapacity)};
  Builder builder;
  const int total = int(pages.size());
  for (int i = 0; i < total; ++i) {
    const CataloguedPage& page = pages[size_t(i)];
    QFile file(dir.filePath(page.name));
    if (!file.open(QIODevice::ReadOnly))
      return {std::nullopt, QStringLiteral("%1: cannot read it: %2").arg(page.name, file.errorString())};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
      return {std::nullopt, QStringLiteral("%1: cannot read it: %2").arg(page.name, file.errorString())};
    if (auto refusal = builder.addPage(page.name, QStringView(decodePage(bytes)), page.indexed))
      return {std::nullopt, *refusal};
    if (progress) progress(i + 1, total);
  }
  return {builder.finish(), QString()};
}

std::optional<QString> writeOutput(const Output& output, const QString& folder) {
  if (!QDir().mkpath(folder)) return QStringLiteral("%1: cannot make the folder").arg(folder);
  const QDir dir(folder);
  QSaveFile files(dir.filePath(search::kPagesFile));
  QSaveFile words(dir.filePath(search::kWordsFile));
  for (auto [file, bytes] : {std::pair{&files, &output.filesQx}, std::pair{&words, &output.wordsQx}}) {
    if (!file->open(QIODevice::WriteOnly) || file->write(*bytes) != bytes->size())
      return QStringLiteral("%1: cannot write it: %2").arg(file->fileName(), file->errorString());
  }
  for (QSaveFile* file : {&files, &words}) {
    if (!file->commit()) return QStringLiteral("%1: cannot write it: %2").arg(file->fileName(), file->errorString());
  }
  return std::nullopt;
}

}  // namespace indexer
