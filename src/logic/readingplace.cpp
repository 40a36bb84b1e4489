#include "logic/readingplace.h"

#include "logic/readingpages.h"
#include "logic/textrules.h"

#include <climits>
#include <cmath>

namespace reading {

int ScrollPosition::yFor(int pageHeight) const {
  if (height <= 0 || pageHeight <= 0 || pageHeight == height) return y;
  return int(std::llround(double(y) * pageHeight / height));
}

namespace placefile {

namespace {
constexpr int kFields = 4;

std::optional<int> offset(QStringView field) {
  const std::optional<qint64> n = textrules::wholeNumber(field);
  if (!n || *n < 0 || *n > INT_MAX) return std::nullopt;
  return int(*n);
}
}  // namespace

QByteArray encode(const std::optional<Place>& place) {
  QByteArray out = store::header(kKind, kVersion);
  if (place) {
    out += place->page.toUtf8() + '\t' + QByteArray::number(place->scroll.y) + '\t' +
           QByteArray::number(place->scroll.height) + '\t' + place->ownTitle.toUtf8() + '\n';
  }
  return out;
}

Result<std::optional<Place>> decode(QByteArrayView bytes) {
  using Decoded = Result<std::optional<Place>>;
  Result<std::vector<store::Record>> records = store::records(bytes, kKind, kVersion);
  if (!records) return Decoded::failed(records.error());
  if (records->empty()) return std::optional<Place>();
  if (records->size() > 1) return Decoded::failed(store::atLine((*records)[1].line, QStringLiteral("a second place")));
  const store::Record& record = records->front();
  const std::vector<QStringView> f = store::fields(record.text, kFields);
  if (f.size() < 3)
    return Decoded::failed(store::atLine(record.line, QStringLiteral("not a page, an offset and a height")));
  Place place;
  place.page = keptName(f[0]);
  if (!isReadingPage(place.page))
    return Decoded::failed(store::atLine(record.line, QStringLiteral("not the name of a page to read")));
  const std::optional<int> y = offset(f[1]);
  const std::optional<int> height = offset(f[2]);
  if (!y || !height)
    return Decoded::failed(store::atLine(record.line, QStringLiteral("the offset or the height is not a number")));
  place.scroll = {*y, *height};
  if (f.size() > 3) place.ownTitle = oneParagraph(f[3], kLongestTitle);
  return std::optional<Place>(std::move(place));
}

}  // namespace placefile

ReadingPlace::ReadingPlace(FileSystem& files, QString path, store::Writing writing)
    : FileBacked(files, std::move(path), placefile::kLargest, writing) {}

void ReadingPlace::load() {
  place_.reset();
  const std::optional<QByteArray> bytes = file_.read();
  if (!bytes) return;
  Result<std::optional<Place>> decoded = placefile::decode(*bytes);
  if (!decoded) return file_.refuse(decoded.error());
  place_ = *decoded;
}

Done ReadingPlace::arrived(QStringView arrived, const QString& ownTitle) {
  if (file_.refused()) return Done::failed(file_.refusal());
  const QString page = keptName(arrived);
  showing_ = isReadingPage(page);
  if (!showing_) return save();
  const QString title = oneParagraph(ownTitle, placefile::kLongestTitle);
  if (place_ && place_->page == page) {
    if (title.isEmpty() || title == place_->ownTitle) return save();
    place_->ownTitle = title;
  } else {
    place_ = Place{page, {}, title};
  }
  return write();
}

void ReadingPlace::scrolled(ScrollPosition at) {
  if (!showing_ || !place_ || file_.refused() || place_->scroll == at) return;
  place_->scroll = {qMax(0, at.y), qMax(0, at.height)};
  unsaved_ = true;
}

Done ReadingPlace::save() { return unsaved_ || !file_.writeFailure().isEmpty() ? write() : Done(); }

Done ReadingPlace::forget() {
  if (file_.refused()) return Done::failed(file_.refusal());
  place_.reset();
  showing_ = false;
  return write();
}

Done ReadingPlace::write() {
  unsaved_ = false;
  return file_.write(placefile::encode(place_));
}

}  // namespace reading
