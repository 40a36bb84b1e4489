#include "logic/storefile.h"

#include "platform/logging.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace store {

namespace {

const QByteArray kMagic = QByteArrayLiteral("tavrin ");
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr int kLongestVersion = 9;  // digits: far beyond any format, and within an int

// The next line of `rest` without its line end (LF, with a CR before it dropped).
QByteArrayView nextLine(QByteArrayView& rest) {
  const qsizetype lf = rest.indexOf('\n');
  QByteArrayView line = lf < 0 ? rest : rest.first(lf);
  rest = lf < 0 ? QByteArrayView() : rest.sliced(lf + 1);
  if (line.endsWith('\r')) line.chop(1);
  return line;
}

bool isAscii(QByteArrayView bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

QByteArray header(QLatin1StringView kind, int version) {
  return kMagic + QByteArray(kind.data(), kind.size()) + ' ' + QByteArray::number(version) + '\n';
}

QString atLine(int line, const QString& why) { return QStringLiteral("line %1: %2").arg(line).arg(why); }

Result<std::vector<Record>> records(QByteArrayView bytes, QLatin1StringView kind, int version, bool keepBlank) {
  using Records = Result<std::vector<Record>>;
  const QString expected = QStringLiteral("tavrin %1 %2").arg(kind).arg(version);
  if (bytes.startsWith(kByteOrderMark)) bytes = bytes.sliced(3);
  // An empty file holds nothing to lose; it is read as one without records.
  if (bytes.isEmpty()) return std::vector<Record>();
  QByteArrayView rest = bytes;
  const QByteArrayView first = nextLine(rest);
  const QByteArrayView kindAt = QByteArrayView(kind.data(), kind.size());
  if (!first.startsWith(kMagic) || !first.sliced(kMagic.size()).startsWith(kindAt) ||
      !first.sliced(kMagic.size() + kindAt.size()).startsWith(' '))
    return Records::failed(QStringLiteral("it does not begin with the line \"%1\"").arg(expected));
  const QByteArrayView number = first.sliced(kMagic.size() + kindAt.size() + 1);
  bool digits = !number.isEmpty() && number.size() <= kLongestVersion;
  for (char c : number) digits = digits && c >= '0' && c <= '9';
  const int found = digits ? number.toInt() : 0;
  if (found < 1)
    return Records::failed(
        QStringLiteral("its first line is not \"%1\": the format version is not a number").arg(expected));
  if (found > version)
    return Records::failed(QStringLiteral("it was written by a newer version of Tavrin (format %1; this one reads "
                                          "format %2 and older)")
                               .arg(found)
                               .arg(version));

  std::vector<Record> out;
  out.reserve(size_t(rest.count('\n')) + 1);
  // Each line is decoded on its own; a byte order mark at the start of one is a character of it.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  for (int line = 2; !rest.isEmpty(); ++line) {
    const QByteArrayView bytesOfLine = nextLine(rest);
    if (bytesOfLine.isEmpty()) {
      if (keepBlank) out.push_back({line, QString()});
      continue;
    }
    if (isAscii(bytesOfLine)) {
      out.push_back({line, QString::fromLatin1(bytesOfLine)});
      continue;
    }
    utf8.resetState();
    QString text = utf8.decode(bytesOfLine);
    if (utf8.hasError()) return Records::failed(atLine(line, QStringLiteral("it is not UTF-8 text")));
    out.push_back({line, std::move(text)});
  }
  return out;
}

std::vector<QStringView> fields(QStringView record, int most) {
  std::vector<QStringView> out;
  while (int(out.size()) < most - 1) {
    const qsizetype tab = record.indexOf(u'\t');
    if (tab < 0) break;
    out.push_back(record.first(tab));
    record = record.sliced(tab + 1);
  }
  out.push_back(record);
  return out;
}

StoreFile::StoreFile(FileSystem& files, QString path, qint64 largest, Writing writing)
    : files_(files), path_(std::move(path)), largest_(largest), writing_(writing) {}

StoreFile::~StoreFile() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::optional<QByteArray> StoreFile::read() {
  if (refused()) return std::nullopt;
  const Result<FileState> state = files_.state(path_);
  if (!state) {
    refuse(QStringLiteral("it cannot be looked at: %1").arg(state.error()));
    return std::nullopt;
  }
  switch (*state) {
    case FileState::Missing: return QByteArray();
    case FileState::Folder: refuse(QStringLiteral("it is a folder")); return std::nullopt;
    case FileState::Other: refuse(QStringLiteral("it is not a regular file")); return std::nullopt;
    case FileState::File: break;
  }
  Result<QByteArray> bytes = files_.readWhole(path_, largest_);
  if (!bytes) {
    refuse(bytes.error());
    return std::nullopt;
  }
  return std::move(bytes).take();
}

void StoreFile::refuse(const QString& why) {
  if (refused()) return;
  refusal_ = why;
  qCWarning(lcReading).noquote() << path_ << "is kept as it is and not used this run:" << why;
}

Done StoreFile::write(QByteArray bytes) {
  if (refused()) return Done::failed(refusal_);
  if (writing_ == Writing::AtOnce) {
    writeNow(bytes);
    return {};
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !busy_ && !pending_; });
  pending_ = std::move(bytes);
  if (!thread_.joinable()) thread_ = std::thread([this] { writeBehind(); });
  lock.unlock();
  changed_.notify_all();
  return {};
}

void StoreFile::flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !busy_ && !pending_; });
}

QString StoreFile::writeFailure() const {
  std::lock_guard lock(mutex_);
  return lastFailure_;
}

void StoreFile::writeBehind() {
  std::unique_lock lock(mutex_);
  for (;;) {
    // What is handed over is written before the thread ends.
    changed_.wait(lock, [&] { return pending_ || stopping_; });
    if (!pending_) return;
    const QByteArray bytes = *std::exchange(pending_, std::nullopt);
    busy_ = true;
    lock.unlock();
    writeNow(bytes);
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

void StoreFile::writeNow(const QByteArray& bytes) {
  const auto failed = [&](const QString& why) {
    std::lock_guard lock(mutex_);
    if (std::exchange(lastFailure_, why) != why) qCWarning(lcReading).noquote() << path_ << "is not written:" << why;
  };
  if (!folderSeen_) {
    const QString folder = QFileInfo(path_).absolutePath();
    if (const Result<FileState> state = files_.state(folder); !state || *state != FileState::Folder) {
      if (const Done made = files_.makePrivateFolder(folder); !made)
        return failed(QStringLiteral("its folder cannot be made: %1").arg(made.error()));
    }
    folderSeen_ = true;
  }
  if (const Done written = files_.writeWhole(path_, bytes); !written) return failed(written.error());
  std::lock_guard lock(mutex_);
  if (!lastFailure_.isEmpty()) {
    qCInfo(lcReading).noquote() << path_ << "is written again";
    lastFailure_.clear();
  }
}

}  // namespace store
