#include "logic/pagenames.h"

#include <QtGlobal>

#include <algorithm>
#include <iterator>

namespace pages {

namespace {

// Objectives and review page numbers within each module (module 24's review page is
// numbered apart from its objectives page).
struct ModulePages {
  int objectives;
  int review;
};
// clang-format off
constexpr ModulePages kModuleTable[kModules] = {
    {196, 197}, {216, 217}, {97, 98},   {146, 147}, {114, 115}, {126, 127},
    {119, 120}, {169, 170}, {109, 110}, {107, 108}, {134, 135}, {70, 71},
    {151, 152}, {133, 134}, {128, 129}, {172, 173}, {103, 104}, {108, 109},
    {188, 189}, {163, 164}, {146, 147}, {129, 130}, {325, 326}, {25, 326}};
// clang-format on

QString modulePage(int module, int page) {
  return QStringLiteral("qx%1%2.qx").arg(module, 2, 10, QChar('0')).arg(page, 4, 10, QChar('0'));
}

std::optional<int> twoDigits(QStringView s) {
  const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
  if (s.size() != 2 || !digit(s[0]) || !digit(s[1])) return std::nullopt;
  return (s[0].unicode() - '0') * 10 + (s[1].unicode() - '0');
}

// Text of `name` up to its first ".qx"; nothing when it holds none.
std::optional<QStringView> baseName(QStringView name) {
  const qsizetype dot = name.indexOf(u".qx");
  if (dot < 0) return std::nullopt;
  return name.left(dot);
}

}  // namespace

int classify(int width, int height) {
  const qint16 w = static_cast<qint16>(width);
  const qint16 h = static_cast<qint16>(height);
  if (w >= 1930) {
    if (h >= 1200) return 7;
    if (h >= 1080) return 6;
    if (h >= 1050) return 5;
    if (h >= 1024) return 4;
    if (h >= 800) return 3;
    if (h >= 768) return 2;
    return 1;
  }
  if (w >= 1700) {
    if (h >= 1000) return 6;
    if (h >= 800) return 3;
    if (h >= 768) return 2;
    return 1;
  }
  if (w >= 1400) {
    if (h >= 900) return 5;
    if (h >= 800) return 3;
    if (h >= 768) return 2;
    return 1;
  }
  if (w >= 1366) return h >= 768 ? 2 : 1;
  if (w >= 920) {
    if (h >= 850) return 4;
    if (h >= 800) return 3;
    if (h >= 768) return 2;
    return 1;
  }
  return 1;
}

std::optional<QChar> classLetter(int screenSize) {
  if (screenSize < 1 || screenSize > 7) return std::nullopt;
  return QChar(char16_t(u'a' + screenSize - 1));
}

QChar classLetterOrA(int screenSize) { return classLetter(screenSize).value_or(QChar(u'a')); }

QString startPage(int screenSize) { return QStringLiteral("qx%1.qx").arg(classLetterOrA(screenSize)); }

QString contentsPage(int screenSize) { return QStringLiteral("qxcr%1.qx").arg(classLetterOrA(screenSize)); }

bool isStartPage(QStringView name) {
  return name.size() == 6 && name.startsWith(u"qx") && name.endsWith(u".qx") && name[2] >= u'a' && name[2] <= u'g';
}

bool isContentsPage(QStringView name) {
  return name.size() == 8 && name.startsWith(u"qxcr") && name.endsWith(u".qx") && name[4] >= u'a' && name[4] <= u'g';
}

QString entryPage(int module) { return modulePage(module, 1); }
QString objectivesPage(int module) { return modulePage(module, kModuleTable[module - 1].objectives); }
QString reviewPage(int module) { return modulePage(module, kModuleTable[module - 1].review); }

std::optional<QString> moduleTableKey(QStringView name) {
  // Every page of the table is "qx" + module + four digits + ".qx". Told by the numbers, as
  // every arrival and every catalogue page asks it.
  if (name.size() != 11 || !name.startsWith(u"qx") || !name.endsWith(u".qx")) return std::nullopt;
  const auto module = twoDigits(name.mid(2, 2));
  const auto high = twoDigits(name.mid(4, 2));
  const auto low = twoDigits(name.mid(6, 2));
  if (!module || *module < 1 || *module > kModules || !high || !low) return std::nullopt;
  const int page = *high * 100 + *low;
  const ModulePages& special = kModuleTable[*module - 1];
  const int tablePages[] = {1, special.objectives, special.review};
  for (size_t i = 0; i < std::size(tablePages); ++i)
    if (page == tablePages[i]) return QLatin1String(kModuleClassPages[i]) + name.mid(2, 2).toString();
  return std::nullopt;
}

bool isModuleClassPage(QStringView name) {
  return std::any_of(kModuleClassPages.begin(), kModuleClassPages.end(),
                     [name](const char* prefix) { return name.startsWith(QLatin1String(prefix)); });
}

std::optional<QString> tablePageOfClassPage(QStringView name) {
  if (name.size() != 9 || !name.endsWith(u".qx") || name[5] < u'a' || name[5] > u'g') return std::nullopt;
  const std::optional<int> module = moduleOf(name);
  if (!module || *module < 1 || *module > kModules) return std::nullopt;
  if (name.startsWith(u"mod")) return entryPage(*module);
  if (name.startsWith(u"obj")) return objectivesPage(*module);
  if (name.startsWith(u"rev")) return reviewPage(*module);
  return std::nullopt;
}

bool isCourseClassPage(QStringView name) {
  return std::any_of(kCourseClassPages.begin(), kCourseClassPages.end(), [name](const char* prefix) {
    const QLatin1String p(prefix);
    return name.size() == p.size() + 4 && name.startsWith(p) && name[p.size()] >= u'a' && name[p.size()] <= u'g' &&
           name.endsWith(u".qx");
  });
}

std::optional<int> moduleOf(QStringView name) {
  if (name.startsWith(u"qx")) {
    if (auto m = twoDigits(name.mid(2, 2))) return m;
  }
  if (isModuleClassPage(name)) return twoDigits(name.mid(3, 2));
  return std::nullopt;
}

Arrival dispatch(QStringView name) {
  if (name.startsWith(u"fig") || name == u"title.qx" || name.startsWith(u"ttv")) return Arrival::Video;
  if (name.startsWith(u"v")) return Arrival::Narration;
  if (isModuleClassPage(name)) return Arrival::ClassPage;
  for (const TriggerPage& trigger : kTriggerPages)
    if (name == QStringView(trigger.name)) return trigger.arrival;
  if (isStartPage(name)) return Arrival::StartPage;
  if (isContentsPage(name)) return Arrival::ContentsPage;
  if (moduleTableKey(name)) return Arrival::ModuleTable;
  return Arrival::Ordinary;
}

QString triggerPage(Arrival trigger) {
  for (const TriggerPage& page : kTriggerPages)
    if (page.arrival == trigger) return QString::fromUtf16(page.name);
  return {};
}

bool setsOffWithoutThePage(Arrival arrival) {
  return arrival == Arrival::Video || arrival == Arrival::Narration || !triggerPage(arrival).isEmpty();
}

std::optional<QStringView> pageNameOf(QStringView location) {
  const qsizetype qx2 = location.indexOf(u"qx2/");
  if (qx2 < 0) return std::nullopt;
  return location.sliced(qx2 + 4);
}

std::optional<QString> videoAddress(const QString& fileLocn, QStringView name) {
  // The title and tech-tip addresses keep the double slash that the base's own
  // trailing slash gives them; the course server expects them as composed.
  if (name == u"title.qx") return fileLocn + QStringLiteral("/qx/title.avi");
  if (name.startsWith(u"ttv"))
    return fileLocn + QStringLiteral("/techtips/tt") + name.mid(3, 2).toString() + QStringLiteral(".avi");
  const auto base = baseName(name);
  if (!base) return std::nullopt;
  return fileLocn + u'c' + name.mid(3, 2).toString() + u'/' + base->toString() + QStringLiteral(".avi");
}

std::optional<QString> narrationAddress(const QString& fileLocn, QStringView name) {
  const auto base = baseName(name);
  if (!base) return std::nullopt;
  return fileLocn + u'c' + name.mid(1, 2).toString() + u'/' + base->toString() + QStringLiteral(".wav");
}

QString requestedNarrationAddress(const QString& fileLocn, QStringView request) {
  return fileLocn + u'c' + request.mid(1, 2).toString() + u'/' + request.toString() + QStringLiteral(".wav");
}

}  // namespace pages
