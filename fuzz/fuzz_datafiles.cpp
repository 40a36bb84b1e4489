// The readers of "files.qx" and "words.qx" on any bytes. Besides running them under the
// sanitizers, every result is held against the rules of datafiles.h worked out here the
// plain way: the lines, the number fields, and every entry of both tables.
#include "fuzzing.h"

#include "logic/datafiles.h"

#include <optional>
#include <string>
#include <type_traits>
#include <utility>

using search::kCapacity;

namespace {

// The lines: cut at each CR, and at the LF of a CR LF with it; no empty line after a last
// line end.
std::vector<QByteArray> plainLines(QByteArrayView text) {
  std::vector<QByteArray> lines;
  QByteArray line;
  bool open = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    open = true;
    if (text[i] != '\r') {
      line += text[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
    open = false;
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  if (open) lines.push_back(line);
  return lines;
}

// A whole number: spaces around it, an optional sign, ASCII digits. Out-of-range values
// come back as +-1e9, so they fail every range check below.
std::optional<long> plainNumber(QByteArrayView field) {
  std::string s(field.data(), size_t(field.size()));
  while (!s.empty() && s.front() == ' ') s.erase(s.begin());
  while (!s.empty() && s.back() == ' ') s.pop_back();
  long sign = 1;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    if (s[0] == '-') sign = -1;
    s.erase(s.begin());
  }
  if (s.empty()) return std::nullopt;
  for (char c : s)
    if (c < '0' || c > '9') return std::nullopt;
  while (s.size() > 1 && s[0] == '0') s.erase(s.begin());
  if (s.size() > 9) return sign * 1000000000L;
  return sign * std::stol(s);
}

std::optional<int> plainInt16(QByteArrayView field) {
  const auto v = plainNumber(field);
  if (!v || *v < -32768 || *v > 32767) return std::nullopt;
  return int(*v);
}

std::optional<int> plainPageNumber(QByteArrayView field) {
  const auto v = plainNumber(field);
  if (!v || *v < 1 || *v > kCapacity) return std::nullopt;
  return int(*v);
}

void checkNumber(QByteArrayView field) {
  const auto i16 = search::toInt16(field);
  fuzzing::same("toInt16 converts", i16.has_value(), plainInt16(field).has_value(), field);
  if (i16) fuzzing::same("toInt16 value", int(*i16), *plainInt16(field), field);
  fuzzing::same("toPageNumber", search::toPageNumber(field).value_or(0), plainPageNumber(field).value_or(0), field);
}

struct Entry {
  QByteArray first, second;
};

// Both tables' rules: entry k from line k, up to kCapacity lines; a catalogue line needs a
// number that converts before its first TAB, and reading ends at the first that does not.
struct PlainTable {
  std::vector<Entry> entries = std::vector<Entry>(1);  // entry k at [k], up to the last line read
  search::ReadStatus status;
  Entry at(int k) const { return k >= 1 && size_t(k) < entries.size() ? entries[size_t(k)] : Entry(); }
};

PlainTable plainRead(const std::vector<QByteArray>& lines, bool numbered) {
  PlainTable t;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int k = int(i) + 1;
    if (k > kCapacity) {
      t.status.tooMany = true;
      break;
    }
    QByteArray line = lines[i];
    if (numbered) {
      const qsizetype tab = line.indexOf('\t');
      if (tab >= 0) {
        if (!plainInt16(QByteArrayView(line).first(tab))) {
          t.status.stoppedAtLine = k;
          break;
        }
        line = line.mid(tab + 1);
      } else {
        line.clear();  // passed over
      }
    }
    const qsizetype tab = line.indexOf('\t');
    t.entries.push_back(tab >= 0 ? Entry{line.left(tab), line.mid(tab + 1)} : Entry());
    t.status.lines = k;
  }
  return t;
}

template <typename Table>
void checkTable(const char* name, const Table& got, const PlainTable& want, QByteArrayView input) {
  fuzzing::same(name, got.status().lines, want.status.lines, " lines");
  fuzzing::same(name, got.status().tooMany, want.status.tooMany, " tooMany");
  fuzzing::same(name, got.status().stoppedAtLine, want.status.stoppedAtLine, " stoppedAtLine");
  const auto fields = [&got](int k) {
    if constexpr (std::is_same_v<Table, search::PageTable>)
      return std::pair{got.file(k), got.title(k)};
    else
      return std::pair{got.word(k), got.pages(k)};
  };
  // Every entry read, the two after them, the last, and some outside the table.
  std::vector<int> entries{-1, 0, kCapacity, kCapacity + 1};
  for (int k = 1; k <= want.status.lines + 2 && k <= kCapacity; ++k) entries.push_back(k);
  for (int k : entries) {
    const auto [a, b] = fields(k);
    const Entry e = want.at(k);
    if (a != e.first || b != e.second)
      fuzzing::fail(name, " entry ", k, ": ", a, " | ", b, " expected ", e.first, " | ", e.second, " of ", input);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView input = fuzzing::bytes(data, size);
  const std::vector<QByteArray> want = plainLines(input);

  std::vector<QByteArrayView> lines;
  for (search::LineSplitter splitter(input); !splitter.atEnd();) {
    lines.push_back(splitter.next());
    if (lines.size() > want.size()) fuzzing::fail("LineSplitter gives more lines than there are", input);
  }
  fuzzing::same("LineSplitter line count", lines.size(), want.size(), input);
  for (size_t i = 0; i < lines.size(); ++i) {
    fuzzing::same("LineSplitter line", lines[i], want[i], " line ", i + 1);
    // Every field of every line, and the lines themselves, as numbers.
    checkNumber(lines[i]);
    for (const QByteArray& field : want[i].split('\t')) checkNumber(field);
  }

  const QByteArray copy = input.toByteArray();
  checkTable("PageTable", search::PageTable::read(copy), plainRead(want, true), input);
  checkTable("WordTable", search::WordTable::read(copy), plainRead(want, false), input);
  return 0;
}
