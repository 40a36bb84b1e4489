#include "logic/pagesread.h"

#include "platform/logging.h"

#include <QSet>

namespace reading {

namespace pagesreadfile {

QByteArray encode(const std::vector<QString>& pages) {
  QByteArray out = store::header(kKind, kVersion);
  for (const QString& page : pages) {
    out += page.toUtf8();
    out += '\n';
  }
  return out;
}

Result<std::vector<QString>> decode(QByteArrayView bytes, QSet<QString>* seen) {
  using Decoded = Result<std::vector<QString>>;
  Result<std::vector<store::Record>> records = store::records(bytes, kKind, kVersion);
  if (!records) return Decoded::failed(records.error());
  QSet<QString> own;
  QSet<QString>& names = seen ? *seen : own;
  names.clear();
  names.reserve(qsizetype(records->size()));
  std::vector<QString> pages;
  pages.reserve(records->size());
  for (const store::Record& record : *records) {
    QString page = keptName(record.text);
    if (!isKeepable(page)) return Decoded::failed(store::atLine(record.line, QStringLiteral("not a page name")));
    const qsizetype before = names.size();
    names.insert(page);
    if (names.size() == before) continue;
    if (int(pages.size()) == kCapacity)
      return Decoded::failed(QStringLiteral("it lists more than %1 pages").arg(kCapacity));
    pages.push_back(std::move(page));
  }
  return pages;
}

}  // namespace pagesreadfile

PagesRead::PagesRead(FileSystem& files, QString path, store::Writing writing)
    : FileBacked(files, std::move(path), pagesreadfile::kLargest, writing) {}

void PagesRead::load() {
  order_.clear();
  read_.clear();
  encoded_.clear();
  const std::optional<QByteArray> bytes = file_.read();
  if (!bytes) return;
  Result<std::vector<QString>> decoded = pagesreadfile::decode(*bytes, &read_);
  if (!decoded) {
    read_.clear();
    return file_.refuse(decoded.error());
  }
  order_ = std::move(*decoded);
}

Done PagesRead::arrived(QStringView arrived) {
  if (file_.refused()) return Done::failed(file_.refusal());
  const QString page = keptName(arrived);
  if (!isReadingPage(page) || !moduleOf(page) || read_.contains(page)) return {};
  if (size() == pagesreadfile::kCapacity) {
    const QString why = QStringLiteral("%1 pages are read already, the most kept").arg(pagesreadfile::kCapacity);
    if (!std::exchange(saidFull_, true)) qCWarning(lcReading).noquote() << path() << "counts no more pages:" << why;
    return Done::failed(why);
  }
  if (encoded_.isEmpty()) encoded_ = pagesreadfile::encode(order_);
  read_.insert(page);
  order_.push_back(page);
  encoded_ += page.toUtf8();
  encoded_ += '\n';
  return file_.write(encoded_);
}

std::array<ModuleProgress, pages::kModules> PagesRead::progress(const CourseCatalogue& catalogue) const {
  std::array<ModuleProgress, pages::kModules> out;
  for (int m = 1; m <= pages::kModules; ++m) {
    ModuleProgress& p = out[size_t(m - 1)];
    const std::vector<QString>& modulePages = catalogue.modulePages(m);
    p.pages = int(modulePages.size());
    for (const QString& page : modulePages) {
      if (read_.contains(page))
        ++p.read;
      else if (p.firstUnread.isEmpty())
        p.firstUnread = page;
    }
    if (!modulePages.empty()) {
      const QString entry = pages::entryPage(m);
      p.title = catalogue.title(catalogue.entryOf(entry) ? entry : modulePages.front());
    }
    p.pageToOpen = !p.firstUnread.isEmpty() ? p.firstUnread
                   : !modulePages.empty()   ? modulePages.front()
                                            : pages::entryPage(m);
  }
  return out;
}

Done PagesRead::forget() {
  if (file_.refused()) return Done::failed(file_.refusal());
  order_.clear();
  read_.clear();
  encoded_ = pagesreadfile::encode({});
  return file_.write(encoded_);
}

}  // namespace reading
