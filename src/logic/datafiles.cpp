#include "logic/datafiles.h"

#include "logic/textrules.h"
#include "platform/logging.h"

#include <cstring>

namespace search {

QByteArrayView LineSplitter::next() {
  const char* begin = rest_.data();
  const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', size_t(rest_.size())));
  if (!cr) {
    const QByteArrayView line = rest_;
    rest_ = {};
    return line;
  }
  const qsizetype end = cr - begin;
  qsizetype next = end + 1;
  if (next < rest_.size() && rest_[next] == '\n') ++next;
  const QByteArrayView line = rest_.first(end);
  rest_ = rest_.sliced(next);
  return line;
}

std::optional<qint16> toInt16(QByteArrayView field) {
  const auto v = textrules::wholeNumber(field);
  if (!v || *v < -32768 || *v > 32767) return std::nullopt;
  return qint16(*v);
}

std::optional<int> toPageNumber(QByteArrayView field) {
  const auto v = textrules::wholeNumber(field);
  if (!v || *v < 1 || *v > kCapacity) return std::nullopt;
  return int(*v);
}

namespace detail {

FieldPairs::FieldPairs(QByteArray bytes) : bytes_(std::move(bytes)), first_(kCapacity + 1), second_(kCapacity + 1) {}

void FieldPairs::set(int k, QByteArrayView first, QByteArrayView second) {
  if (k < 1 || k > kCapacity) return;
  const char* base = bytes_.constData();
  first_[k] = {first.data() - base, first.size()};
  second_[k] = {second.data() - base, second.size()};
}

}  // namespace detail

namespace {

// Runs `take(k, line)` for the lines of `text` as entries 1, 2, ... up to the capacity.
// `take` returns false to end the reading early.
template <typename Take>
ReadStatus readLines(QByteArrayView text, Take take) {
  ReadStatus status;
  LineSplitter lines(text);
  while (!lines.atEnd()) {
    if (status.lines == kCapacity) {
      status.tooMany = true;
      break;
    }
    const int k = status.lines + 1;
    if (!take(k, lines.next())) {
      status.stoppedAtLine = k;
      break;
    }
    status.lines = k;
  }
  return status;
}

}  // namespace

PageTable PageTable::read(QByteArray bytes) {
  PageTable t;
  t.fields_ = detail::FieldPairs(std::move(bytes));
  t.status_ = readLines(t.fields_.text(), [&t](int k, QByteArrayView line) {
    qsizetype tab = line.indexOf(kFieldSeparator);
    if (tab < 0) return true;
    if (!toInt16(line.first(tab))) return false;
    line = line.sliced(tab + 1);
    tab = line.indexOf(kFieldSeparator);
    if (tab >= 0) t.fields_.set(k, line.first(tab), line.sliced(tab + 1));
    return true;
  });
  return t;
}

WordTable WordTable::read(QByteArray bytes) {
  WordTable t;
  t.fields_ = detail::FieldPairs(std::move(bytes));
  t.status_ = readLines(t.fields_.text(), [&t](int k, QByteArrayView line) {
    const qsizetype tab = line.indexOf(kFieldSeparator);
    if (tab >= 0) t.fields_.set(k, line.first(tab), line.sliced(tab + 1));
    return true;
  });
  return t;
}

bool fitsNameField(QStringView name) {
  return !name.contains(QChar(kFieldSeparator)) && !name.contains(u'\r') && !name.contains(u'\n');
}

void appendPageLine(QByteArray& out, int number, QByteArrayView file, QByteArrayView title) {
  out += QByteArray::number(number);
  out += kFieldSeparator;
  out += file;
  out += kFieldSeparator;
  out += title;
  out += kLineEnd;
}

void appendWordLine(QByteArray& out, QByteArrayView word, std::span<const std::uint16_t> pages) {
  out += word;
  out += kFieldSeparator;
  char number[8];
  for (const std::uint16_t p : pages) {
    char* const end = number + sizeof number;
    char* d = end;
    *--d = kFieldSeparator;
    unsigned v = p;
    do {
      *--d = char('0' + v % 10);
      v /= 10;
    } while (v);
    out.append(d, end - d);
  }
  out += kLineEnd;
}

void logReadStatus(const QString& path, const ReadStatus& status) {
  if (status.tooMany) qCWarning(lcSearch) << path << "holds more than" << kCapacity << "lines; the rest is not read";
  if (status.stoppedAtLine)
    qCWarning(lcSearch) << path << "line" << status.stoppedAtLine
                        << ": the page number does not convert; reading stopped there";
}

}  // namespace search
