#pragma once
// The place kept in the course: the last page the reader read and how far down it was
// scrolled, kept over runs so that the next run can offer to go back there.
//
// File "place.txt" in the per-user folder (storefile.h): the header "tavrin place 1", then
// nothing, or one record: the page's kept name, the scroll offset, the page's height when it
// was at that offset, and the page's own title, separated by TABs:
//   qx070012.qx<TAB>1840<TAB>5120<TAB>Ohm's law in practice
#include "logic/storefile.h"

#include <QString>
#include <QStringView>

#include <optional>

class FileSystem;

namespace reading {

// How far down a page is scrolled, in the page's own pixels (those the page's scripts count
// in, the same at every zoom).
struct ScrollPosition {
  int y = 0;       // from the top of the page to the top of the view
  int height = 0;  // the page's height at the time; 0 when not known
  friend bool operator==(const ScrollPosition&, const ScrollPosition&) = default;

  // Where to scroll a page that is now `pageHeight` high to come back here: the same offset
  // while the page has the height it had, else the same fraction of the page, since a wider or
  // narrower window, or another layout of the page, moves everything down or up with it.
  int yFor(int pageHeight) const;
};

struct Place {
  QString page;  // kept name (readingpages.h)
  ScrollPosition scroll;
  QString ownTitle;  // the page's own title, for a page the catalogue does not list
  friend bool operator==(const Place&, const Place&) = default;
};

// The place file's bytes and back.
namespace placefile {
inline constexpr QLatin1StringView kKind{"place"};
inline constexpr int kVersion = 1;
inline constexpr int kLongestTitle = 256;
// More than a place takes (a few hundred bytes at most), too little for anything else.
inline constexpr qint64 kLargest = 64 * 1024;
QByteArray encode(const std::optional<Place>& place);
// Nothing kept, the place, or why the file cannot be used.
Result<std::optional<Place>> decode(QByteArrayView bytes);
}  // namespace placefile

class ReadingPlace : public store::FileBacked {
 public:
  static QString pathIn(const QString& userDir) { return userDir + QStringLiteral("place.txt"); }

  ReadingPlace(FileSystem& files, QString path, store::Writing writing = store::Writing::AtOnce);

  // Reads the file once; a file that cannot be used refuses the store (refusal()).
  void load();

  // The place kept; nothing when there is none (or the store is refused).
  const std::optional<Place>& place() const { return place_; }

  // A page arrived in the main browser (`arrived`: its name after the course base). A page the
  // reader reads becomes the place, at the top of the page, and is written at once; arriving
  // at the page that is the place already (a reload, or its class page after the module-table
  // page) keeps its scroll offset. Any other page leaves the place as it is. A non-empty
  // `ownTitle` is kept as the page's own title.
  Done arrived(QStringView arrived, const QString& ownTitle = {});
  // The page shown was scrolled: kept in memory when the page shown is the place, and written by
  // save(). The caller saves at most about once a second (Throttle).
  void scrolled(ScrollPosition at);
  // A scroll not yet handed to the file.
  bool unsaved() const { return unsaved_; }
  // Writes a scroll not yet written, or everything again after a write that failed.
  Done save();
  // Forgets the place (the file then holds none).
  Done forget();

 private:
  Done write();

  std::optional<Place> place_;
  bool showing_ = false;  // the page on show is the place, so its scrolling moves it
  bool unsaved_ = false;
};

// Lets changes through to be written at most once per interval: a change that comes sooner
// waits until the interval is over. Times are milliseconds of the program's clock, which wraps
// around at 2^32.
class Throttle {
 public:
  explicit Throttle(quint32 intervalMs) : interval_(intervalMs) {}
  // How long a change made at `now` waits before it is written; 0: write it now.
  quint32 wait(quint32 now) const {
    if (!wrote_) return 0;
    const quint32 since = now - last_;
    return since >= interval_ ? 0 : interval_ - since;
  }
  void wrote(quint32 now) {
    last_ = now;
    wrote_ = true;
  }

 private:
  quint32 interval_;
  quint32 last_ = 0;
  bool wrote_ = false;
};

}  // namespace reading
