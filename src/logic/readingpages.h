#pragma once
// The pages a reader reads, told by name: the only pages that can be the place kept in the
// course, a bookmark, or a page read in a module's progress. Every rule of which pages those
// are, and of the name they are kept under, is here, on the page-name rules of pagenames.
#include <QString>
#include <QStringView>

#include <optional>

namespace reading {

// The longest page name kept. The course's own names have a dozen characters; the bound keeps
// the files of kept names small enough to read whole.
inline constexpr int kLongestName = 256;

// The name a page is kept under, from the name that arrived (the address after its first
// "qx2/"): without its fragment ("#..."), which only names a place in the page; and a module's
// class page ("mod07c.qx", "obj07c.qx", "rev07c.qx") as the page of the module table it is
// the variant of ("qx070001.qx", the objectives or the review page). That page is what the
// catalogue lists, and opening it leads on to the variant of whatever screen class is current.
QString keptName(QStringView arrived);
// The same, sharing the text of a name that is kept as it is.
QString keptName(const QString& arrived);

// A name that can be kept: 1 to kLongestName characters, no control character (a line break
// or TAB would break the files' lines and fields), no lone surrogate (UTF-8 cannot write one)
// and no white space at either end (the files' fields are read trimmed).
bool isKeepable(QStringView name);

// A page the reader reads, by its kept name: a keepable name that the arrival rules do not take
// for a start page, a contents page, a side-window trigger page or a media page. Start and
// contents pages are where every run begins; the others are never left on show.
bool isReadingPage(QStringView keptName);

// The module (1 to 24) a page is counted in, by the module number its name carries for the
// window title: "qx" and two digits, or "mod", "obj", "rev" and two digits. Nothing for a
// page of no module, or of a number outside the course's 24.
std::optional<int> moduleOf(QStringView keptName);

// The address to open a kept page at: the course base and the name, a class page of the
// course ("qxpracc.qx") re-lettered to the screen class now in use.
QString address(const QString& fileLocn, const QString& keptName, int screenSize);

// Whether a page that arrived is the kept page, shown: its kept name is that page and it is
// not a page of the module table, which the viewer sends on to its class page at once.
bool shows(QStringView arrived, const QString& keptName);

// `text` as one paragraph of at most `longest` characters: each line break (CR LF counting
// as one), TAB and other control character becomes a space, a lone surrogate becomes U+FFFD,
// white space at both ends goes, and a longer text is cut (never inside a surrogate pair).
// Doing it twice gives what doing it once did.
QString oneParagraph(QStringView text, int longest);

}  // namespace reading
