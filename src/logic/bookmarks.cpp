#include "logic/bookmarks.h"

#include "platform/filesystem.h"

#include <QSet>

#include <algorithm>

namespace reading {

namespace {

constexpr int kFields = 3;

const QString kNotAPage = QStringLiteral("only pages of the course are bookmarked, not start, contents or media pages");

QString full() { return QStringLiteral("%1 pages are bookmarked, the most there can be").arg(bookmarkfile::kCapacity); }

}  // namespace

namespace bookmarkfile {

QByteArray encode(const std::vector<Bookmark>& bookmarks) {
  QByteArray out = store::header(kKind, kVersion);
  for (const Bookmark& b : bookmarks)
    out += b.page.toUtf8() + '\t' + b.note.toUtf8() + '\t' + b.ownTitle.toUtf8() + '\n';
  return out;
}

Result<std::vector<Bookmark>> decode(QByteArrayView bytes) {
  using Decoded = Result<std::vector<Bookmark>>;
  Result<std::vector<store::Record>> records = store::records(bytes, kKind, kVersion);
  if (!records) return Decoded::failed(records.error());
  std::vector<Bookmark> out;
  QSet<QString> seen;
  for (const store::Record& record : *records) {
    const std::vector<QStringView> f = store::fields(record.text, kFields);
    Bookmark b;
    b.page = keptName(f[0]);
    if (!isReadingPage(b.page))
      return Decoded::failed(store::atLine(record.line, QStringLiteral("not the name of a page to read")));
    if (seen.contains(b.page)) continue;
    if (int(out.size()) == kCapacity)
      return Decoded::failed(QStringLiteral("it holds more than %1 bookmarks").arg(kCapacity));
    if (f.size() > 1) b.note = oneParagraph(f[1], kLongestNote);
    if (f.size() > 2) b.ownTitle = oneParagraph(f[2], kLongestTitle);
    seen.insert(b.page);
    out.push_back(std::move(b));
  }
  return out;
}

}  // namespace bookmarkfile

namespace bookmarkexport {

namespace {

enum class Label { Module, Title, Page, Note };
constexpr std::array<QLatin1StringView, 4> kLabels = {QLatin1StringView("Module"), QLatin1StringView("Title"),
                                                      QLatin1StringView("Page"), QLatin1StringView("Note")};

std::optional<Label> labelOf(QStringView text) {
  for (size_t i = 0; i < kLabels.size(); ++i)
    if (text.compare(kLabels[i], Qt::CaseInsensitive) == 0) return Label(i);
  return std::nullopt;
}

void appendLine(QByteArray& out, Label label, const QString& value) {
  out += QByteArrayView(kLabels[size_t(label)].data(), kLabels[size_t(label)].size());
  out += ':';
  if (!value.isEmpty()) out += ' ' + value.toUtf8();
  out += '\n';
}

// The page a Page line names: what follows the address's first "qx2/", as an arriving page's
// name is cut from its address, or the whole value.
QString pageOf(QStringView value) {
  const qsizetype base = value.indexOf(u"qx2/");
  return keptName(base < 0 ? value : value.sliced(base + 4));
}

}  // namespace

QByteArray write(const std::vector<BookmarkRow>& rows, const QString& fileLocn) {
  QByteArray out = store::header(kKind, kVersion);
  out += QStringLiteral(
             "# Bookmarks and notes from Tavrin, in course order: %1 in all.\n"
             "# Each bookmark is a block of lines: Module, Title, Page (its address) and Note.\n"
             "# Tavrin imports Page and Note of each, and keeps a page bookmarked once.\n")
             .arg(rows.size())
             .toUtf8();
  for (const BookmarkRow& row : rows) {
    out += '\n';
    appendLine(out, Label::Module, row.module > 0 ? QString::number(row.module) : QStringLiteral("none"));
    appendLine(out, Label::Title, oneParagraph(row.title, kLongestTitle));
    appendLine(out, Label::Page, fileLocn + row.page);
    appendLine(out, Label::Note, row.note);
  }
  return out;
}

Result<std::vector<Bookmark>> read(QByteArrayView bytes) {
  using Read = Result<std::vector<Bookmark>>;
  Result<std::vector<store::Record>> records = store::records(bytes, kKind, kVersion, true);
  if (!records) return Read::failed(records.error());
  std::vector<Bookmark> out;
  // The block being read: the line it began at, the labels seen, the bookmark so far.
  int begun = 0;
  std::array<bool, kLabels.size()> seen{};
  Bookmark b;
  const auto endBlock = [&]() -> std::optional<QString> {
    if (begun == 0) return std::nullopt;
    if (!seen[size_t(Label::Page)]) return store::atLine(begun, QStringLiteral("a bookmark without a Page line"));
    out.push_back(std::move(b));
    b = {};
    seen = {};
    begun = 0;
    return std::nullopt;
  };
  for (const store::Record& record : *records) {
    if (record.text.trimmed().isEmpty()) {
      if (std::optional<QString> wrong = endBlock()) return Read::failed(*wrong);
      continue;
    }
    if (record.text.startsWith(u'#')) continue;
    const qsizetype colon = record.text.indexOf(u':');
    const std::optional<Label> label =
        colon < 0 ? std::nullopt : labelOf(QStringView(record.text).first(colon).trimmed());
    if (!label)
      return Read::failed(
          store::atLine(record.line, QStringLiteral("not a line of a bookmark (Module:, Title:, Page: or Note:)")));
    if (std::exchange(seen[size_t(*label)], true))
      return Read::failed(store::atLine(
          record.line, QStringLiteral("a second %1 line in one bookmark (bookmarks are kept apart by a blank line)")
                           .arg(kLabels[size_t(*label)])));
    if (begun == 0) begun = record.line;
    const QStringView value = QStringView(record.text).sliced(colon + 1).trimmed();
    switch (*label) {
      case Label::Module: break;
      case Label::Title: b.ownTitle = oneParagraph(value, kLongestTitle); break;
      case Label::Page: b.page = pageOf(value); break;
      case Label::Note: b.note = oneParagraph(value, kLongestNote); break;
    }
  }
  if (std::optional<QString> wrong = endBlock()) return Read::failed(*wrong);
  // A title that is only the page's name, as the export writes for a page with none, is none.
  for (Bookmark& m : out)
    if (m.ownTitle == m.page) m.ownTitle.clear();
  return out;
}

}  // namespace bookmarkexport

Bookmarks::Bookmarks(FileSystem& files, QString path, store::Writing writing)
    : FileBacked(files, std::move(path), bookmarkfile::kLargest, writing), files_(files) {}

void Bookmarks::load() {
  marks_.clear();
  const std::optional<QByteArray> bytes = file_.read();
  if (!bytes) return;
  Result<std::vector<Bookmark>> decoded = bookmarkfile::decode(*bytes);
  if (!decoded) return file_.refuse(decoded.error());
  for (Bookmark& b : *decoded) marks_.insert(b.page, std::move(b));
}

const Bookmark* Bookmarks::find(QStringView page) const {
  const auto it = marks_.constFind(keptName(page));
  return it == marks_.cend() ? nullptr : &*it;
}

Done Bookmarks::commit() { return file_.write(bookmarkfile::encode(all())); }

Result<Bookmarks::Toggled> Bookmarks::toggle(QStringView page, const QString& ownTitle) {
  using Outcome = Result<Toggled>;
  if (file_.refused()) return Outcome::failed(file_.refusal());
  const QString kept = keptName(page);
  if (!isReadingPage(kept)) return Outcome::failed(kNotAPage);
  Toggled what = Toggled::Removed;
  if (!marks_.remove(kept)) {
    if (size() >= bookmarkfile::kCapacity) return Outcome::failed(full());
    marks_.insert(kept, Bookmark{kept, {}, oneParagraph(ownTitle, kLongestTitle)});
    what = Toggled::Added;
  }
  if (Done written = commit(); !written) return Outcome::failed(written.error());
  return what;
}

Done Bookmarks::remove(QStringView page) {
  if (file_.refused()) return Done::failed(file_.refusal());
  if (!marks_.remove(keptName(page))) return {};
  return commit();
}

Done Bookmarks::setNote(QStringView page, const QString& note) {
  if (file_.refused()) return Done::failed(file_.refusal());
  const QString kept = keptName(page);
  const auto it = marks_.constFind(kept);
  if (it == marks_.cend()) return Done::failed(QStringLiteral("the page is not bookmarked"));
  const QString paragraph = oneParagraph(note, kLongestNote);
  if (it->note == paragraph) return {};
  marks_[kept].note = paragraph;
  return commit();
}

std::vector<BookmarkRow> Bookmarks::rows(const CourseCatalogue& catalogue) const {
  std::vector<BookmarkRow> out;
  out.reserve(size_t(size()));
  for (const Bookmark& b : marks_) {
    BookmarkRow row{b.page, b.note, catalogue.title(b.page), moduleOf(b.page).value_or(0), catalogue.entryOf(b.page)};
    if (row.title.isEmpty()) row.title = b.ownTitle.isEmpty() ? b.page : b.ownTitle;
    out.push_back(std::move(row));
  }
  // Listed pages by their line; then the others, already in name order, after them.
  std::stable_sort(out.begin(), out.end(), [](const BookmarkRow& a, const BookmarkRow& b) {
    if ((a.entry == 0) != (b.entry == 0)) return a.entry != 0;
    return a.entry < b.entry;
  });
  return out;
}

Result<Bookmarks::Merged> Bookmarks::merge(const std::vector<Bookmark>& imported) {
  using Outcome = Result<Merged>;
  if (file_.refused()) return Outcome::failed(file_.refusal());
  Merged merged;
  for (const Bookmark& in : imported) {
    const QString page = keptName(in.page);
    if (!isReadingPage(page)) {
      ++merged.notAdded;
      continue;
    }
    const QString note = oneParagraph(in.note, kLongestNote);
    const auto it = marks_.find(page);
    if (it == marks_.end()) {
      if (size() >= bookmarkfile::kCapacity) {
        ++merged.notAdded;
        continue;
      }
      marks_.insert(page, Bookmark{page, note, oneParagraph(in.ownTitle, kLongestTitle)});
      ++merged.added;
    } else if (!note.isEmpty() && note != it->note) {
      it->note = note;
      ++merged.notesChanged;
    } else {
      ++merged.unchanged;
    }
  }
  if (merged.added + merged.notesChanged > 0) {
    if (Done written = commit(); !written) return Outcome::failed(written.error());
  }
  return merged;
}

QByteArray Bookmarks::exportText(const CourseCatalogue& catalogue, const QString& fileLocn) const {
  return bookmarkexport::write(rows(catalogue), fileLocn);
}

Done Bookmarks::exportTo(const QString& path, const CourseCatalogue& catalogue, const QString& fileLocn) {
  return files_.writeWhole(path, exportText(catalogue, fileLocn));
}

Result<Bookmarks::Merged> Bookmarks::importFrom(const QString& path) {
  using Outcome = Result<Merged>;
  if (file_.refused()) return Outcome::failed(file_.refusal());
  const Result<QByteArray> bytes = files_.readWhole(path, bookmarkexport::kLargest);
  if (!bytes) return Outcome::failed(bytes.error());
  const Result<std::vector<Bookmark>> imported = bookmarkexport::read(*bytes);
  if (!imported) return Outcome::failed(imported.error());
  return merge(*imported);
}

}  // namespace reading
