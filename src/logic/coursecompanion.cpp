#include "logic/coursecompanion.h"

#include "logic/datafiles.h"
#include "platform/filesystem.h"
#include "platform/logging.h"

namespace reading {

CourseCompanion::CourseCompanion(FileSystem& files, const QString& userDir, QString catalogueFile,
                                 store::Writing writing)
    : files_(files),
      catalogueFile_(std::move(catalogueFile)),
      place_(files, ReadingPlace::pathIn(userDir), writing),
      bookmarks_(files, Bookmarks::pathIn(userDir), writing),
      pagesRead_(files, PagesRead::pathIn(userDir), writing) {}

void CourseCompanion::load() {
  if (std::exchange(loaded_, true)) return;
  place_.load();
  bookmarks_.load();
  pagesRead_.load();
  // Without the catalogue the bookmarks are listed by name and no module has pages; the search
  // says the same about the file when it is asked for.
  if (const Result<FileState> state = files_.state(catalogueFile_); state && *state == FileState::Missing) return;
  Result<QByteArray> bytes = search::readWholeFile(files_, catalogueFile_);
  if (!bytes) {
    qCWarning(lcReading).noquote() << catalogueFile_ << "cannot be read: no titles, order or modules:" << bytes.error();
    return;
  }
  catalogue_ = CourseCatalogue::read(std::move(bytes).take().value_or(QByteArray()));
  search::logReadStatus(catalogueFile_, catalogue_.status());
}

void CourseCompanion::arrived(QStringView page, const QString& ownTitle) {
  load();
  (void)place_.arrived(page, ownTitle);
  (void)pagesRead_.arrived(page);
}

QString CourseCompanion::titleOf(const QString& page, const QString& own) const {
  const QString listed = catalogue_.title(page);
  if (!listed.isEmpty()) return listed;
  return own.isEmpty() ? page : own;
}

Done CourseCompanion::forgetPlaceAndProgress() {
  const Done place = place_.forget();
  const Done progress = pagesRead_.forget();
  if (!place) return place;
  return progress;
}

void CourseCompanion::flush() {
  (void)place_.save();
  place_.flush();
  bookmarks_.flush();
  pagesRead_.flush();
}

QString CourseCompanion::takeRefusals() {
  if (!loaded_ || std::exchange(toldRefusals_, true)) return {};
  QStringList lines;
  const auto add = [&](const QString& what, bool refused, const QString& path, const QString& why) {
    if (refused) lines << QStringLiteral("%1 (%2): %3").arg(what, path, why);
  };
  add(QStringLiteral("The place to resume at"), place_.refused(), place_.path(), place_.refusal());
  add(QStringLiteral("The bookmarks"), bookmarks_.refused(), bookmarks_.path(), bookmarks_.refusal());
  add(QStringLiteral("The pages read"), pagesRead_.refused(), pagesRead_.path(), pagesRead_.refusal());
  return lines.join(u'\n');
}

}  // namespace reading
