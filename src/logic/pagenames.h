#pragma once
// The course's page names: screen classes and their letters, the page families the
// viewer composes or recognises, the module table and the media addresses. All of it is
// plain string work on names; nothing here touches a browser or a window.
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace pages {

constexpr int kModules = 24;

// Screen class 1..7 from the classification metrics, compared as 16-bit signed values.
int classify(int width, int height);

// "a".."g" for classes 1..7; nothing for any other value.
std::optional<QChar> classLetter(int screenSize);
// The letter every consumer with a default branch uses: class 1 ("a") outside 1..7.
QChar classLetterOrA(int screenSize);

QString startPage(int screenSize);     // "qxa.qx" .. "qxg.qx"
QString contentsPage(int screenSize);  // "qxcra.qx" .. "qxcrg.qx"
bool isStartPage(QStringView name);    // any of the seven, whatever the current class
bool isContentsPage(QStringView name);

// The class pages come in one variant per screen class, named with its letter: a module's
// are one of these, its two-digit number, the letter and ".qx" ("mod07c.qx")...
inline constexpr std::array<const char*, 3> kModuleClassPages = {"mod", "obj", "rev"};
// ...and the course's own are one of these, the letter and ".qx" ("qxpracc.qx").
inline constexpr std::array<const char*, 4> kCourseClassPages = {"qxprac", "qxsumm", "qxtech", "qxtvid"};
// A name that begins as a module's class page does (the viewer goes no further).
bool isModuleClassPage(QStringView name);
// A course class page of any class, "qxpraca.qx" to "qxtvidg.qx".
bool isCourseClassPage(QStringView name);

// The key of a page of the module table ("mod07" for qx070001.qx, "obj07" for its
// objectives page, "rev07" for its review page); nothing for any other name.
std::optional<QString> moduleTableKey(QStringView name);
QString objectivesPage(int module);
QString reviewPage(int module);
QString entryPage(int module);
// The page of the module table whose class page `name` is ("mod07c.qx" -> "qx070001.qx"), by
// the class pages' exact shape: prefix, module 01 to 24, class letter, ".qx".
std::optional<QString> tablePageOfClassPage(QStringView name);

// The module number a name carries for the window title: characters 3-4 after "qx",
// or 4-5 after "mod"/"obj"/"rev", when they are two decimal digits.
std::optional<int> moduleOf(QStringView name);

// What the arrival of a page name sets off, in the order the names are tested.
enum class Arrival {
  Video,          // "fig…", "title.qx", "ttv…"
  Narration,      // "v…"
  ClassPage,      // "mod…", "obj…", "rev…": links taken, not recorded
  SearchTrigger,  // the trigger pages, kTriggerPages below
  IndexTrigger,
  HistTrigger,
  StartPage,     // links taken, recorded
  ContentsPage,  // fitted to the class, recorded
  ModuleTable,   // sent on to the class page
  Ordinary,      // links taken, recorded
};
Arrival dispatch(QStringView name);

// The pages whose arrival opens a side window: dispatch() recognises them, and the side
// windows send the main browser to them.
struct TriggerPage {
  Arrival arrival;
  const char16_t* name;
};
inline constexpr std::array<TriggerPage, 3> kTriggerPages = {{
    {Arrival::SearchTrigger, u"search.qx"},
    {Arrival::IndexTrigger, u"index.qx"},
    {Arrival::HistTrigger, u"hist.qx"},
}};
// The name of the page of a trigger arrival; empty for any other arrival.
QString triggerPage(Arrival trigger);
// Pages that set off something else, a video, narration or a side window: they do their work
// whether or not the page itself loaded, since that needs nothing of it.
bool setsOffWithoutThePage(Arrival arrival);

// The page name in a browser location: everything after its first "qx2/" ("qx070012.qx");
// nothing for a location that is no course page.
std::optional<QStringView> pageNameOf(QStringView location);

// Media address of a video or narration trigger page. Empty optional when the name holds
// no ".qx", so that no base name can be taken (the title and tech-tip videos do not need one).
std::optional<QString> videoAddress(const QString& fileLocn, QStringView name);
std::optional<QString> narrationAddress(const QString& fileLocn, QStringView name);
// Narration asked for by another program with a request text such as "v0312": composed as
// for a narration page whose base is the text ("c03/v0312.wav" after the base).
QString requestedNarrationAddress(const QString& fileLocn, QStringView request);

}  // namespace pages
