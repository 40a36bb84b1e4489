#include "logic/readingpages.h"

#include "logic/classaddress.h"
#include "logic/pagenames.h"

namespace reading {

namespace {

bool isControl(QChar c) {
  if (c.unicode() < 0x80) return c.unicode() < 0x20 || c.unicode() == 0x7f;
  return c.category() == QChar::Other_Control;
}

bool isLineBreak(QChar c) {
  return c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
}

}  // namespace

QString keptName(QStringView arrived) {
  const qsizetype hash = arrived.indexOf(u'#');
  const QStringView page = hash < 0 ? arrived : arrived.first(hash);
  if (std::optional<QString> table = pages::tablePageOfClassPage(page)) return *table;
  return page.toString();
}

QString keptName(const QString& arrived) {
  if (!arrived.contains(u'#') && !pages::tablePageOfClassPage(arrived)) return arrived;
  return keptName(QStringView(arrived));
}

bool isKeepable(QStringView name) {
  if (name.isEmpty() || name.size() > kLongestName || name.front().isSpace() || name.back().isSpace()) return false;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QChar c = name[i];
    if (isControl(c)) return false;
    if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      ++i;
      continue;
    }
    if (c.isSurrogate()) return false;
  }
  return true;
}

bool isReadingPage(QStringView keptName) {
  if (!isKeepable(keptName)) return false;
  switch (pages::dispatch(keptName)) {
    case pages::Arrival::Video:
    case pages::Arrival::Narration:
    case pages::Arrival::SearchTrigger:
    case pages::Arrival::IndexTrigger:
    case pages::Arrival::HistTrigger:
    case pages::Arrival::StartPage:
    case pages::Arrival::ContentsPage: return false;
    case pages::Arrival::ClassPage:
    case pages::Arrival::ModuleTable:
    case pages::Arrival::Ordinary: return true;
  }
  return false;
}

std::optional<int> moduleOf(QStringView keptName) {
  const std::optional<int> module = pages::moduleOf(keptName);
  if (!module || *module < 1 || *module > pages::kModules) return std::nullopt;
  return module;
}

QString address(const QString& fileLocn, const QString& keptName, int screenSize) {
  return classaddress::addressForClass(fileLocn + keptName, fileLocn, screenSize);
}

bool shows(QStringView arrived, const QString& kept) {
  return !kept.isEmpty() && keptName(arrived) == kept && pages::dispatch(arrived) != pages::Arrival::ModuleTable;
}

QString oneParagraph(QStringView text, int longest) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      out += u' ';
      ++i;
    } else if (isControl(c) || isLineBreak(c)) {
      out += u' ';
    } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      out += c;
      out += text[++i];
    } else if (c.isSurrogate()) {
      out += QChar(QChar::ReplacementCharacter);
    } else {
      out += c;
    }
  }
  out = out.trimmed();
  if (out.size() > longest) {
    qsizetype cut = qMax(0, longest);
    if (cut > 0 && out[cut - 1].isHighSurrogate()) --cut;
    out.truncate(cut);
    out = out.trimmed();
  }
  return out;
}

}  // namespace reading
