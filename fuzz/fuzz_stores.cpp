// The reader's own files (the place, the pages read, the bookmarks): the first byte picks the
// kind (its value modulo 3), the rest are the file's bytes. The records are held against the
// line rules worked out plainly (the whole line decoded and encoded again, the header split at
// its spaces). A file that is read must hold only what its kind can keep, and written back it
// must read as the same and write the same bytes again; a file that is refused is refused for
// a reason the plain rules see too, or for a record its kind cannot keep.
#include "fuzzing.h"

#include "logic/bookmarks.h"
#include "logic/pagesread.h"
#include "logic/readingplace.h"

#include <QSet>
#include <QStringList>

using namespace reading;

namespace {

// The records as the plain rules give them, or nothing when the file is refused by them.
std::optional<std::vector<store::Record>> plainRecords(QByteArray bytes, QLatin1StringView kind, int version) {
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  if (bytes.isEmpty()) return std::vector<store::Record>();
  QList<QByteArray> lines = bytes.split('\n');
  if (bytes.endsWith('\n')) lines.removeLast();
  for (QByteArray& line : lines)
    if (line.endsWith('\r')) line.chop(1);
  const QList<QByteArray> head = lines.front().split(' ');
  if (head.size() != 3 || head[0] != "tavrin" || head[1] != QByteArray(kind.data(), kind.size())) return std::nullopt;
  const QByteArray& number = head[2];
  if (number.isEmpty() || number.size() > 9) return std::nullopt;
  for (char c : number)
    if (c < '0' || c > '9') return std::nullopt;
  if (number.toInt() < 1 || number.toInt() > version) return std::nullopt;
  std::vector<store::Record> out;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    if (lines[i].isEmpty()) continue;
    // Decoded after a letter, so that a byte order mark it begins with is a character of it.
    const QString text = QString::fromUtf8('a' + lines[i]).sliced(1);
    if (text.toUtf8() != lines[i]) return std::nullopt;  // not UTF-8: decoding changed it
    out.push_back({int(i) + 1, text});
  }
  return out;
}

void sameRecords(QByteArrayView bytes, QLatin1StringView kind, int version) {
  const Result<std::vector<store::Record>> got = store::records(bytes, kind, version);
  const std::optional<std::vector<store::Record>> want = plainRecords(bytes.toByteArray(), kind, version);
  fuzzing::same("records read", bool(got), want.has_value(), " ", got.error());
  if (!got) return;
  fuzzing::same("record count", got->size(), want->size());
  for (size_t i = 0; i < want->size(); ++i) {
    fuzzing::same("record line", (*got)[i].line, (*want)[i].line, " record ", i);
    fuzzing::same("record text", (*got)[i].text, (*want)[i].text, " record ", i);
  }
}

// `decode` refuses a file only for what the plain rules refuse, or for a record.
template <typename T>
void refusedForAReason(const Result<T>& decoded, QByteArrayView bytes, QLatin1StringView kind, int version) {
  if (decoded || !plainRecords(bytes.toByteArray(), kind, version)) return;
  if (!decoded.error().startsWith(QLatin1String("line ")) && !decoded.error().contains(QLatin1String("more than")))
    fuzzing::fail("refused for no reason of a record", decoded.error());
}

void keptParagraph(const QString& text, int longest, const char* what) {
  if (text.size() > longest || oneParagraph(text, longest) != text)
    fuzzing::fail(what, " is not one paragraph: ", text);
}

template <typename T, typename Encode, typename Decode>
void writtenBackReadsTheSame(const T& value, Encode encode, Decode decode) {
  const QByteArray written = encode(value);
  const auto again = decode(written);
  if (!again) fuzzing::fail("what was written is refused: ", again.error());
  if (!(*again == value)) fuzzing::fail("what was written reads back otherwise");
  fuzzing::same("written again", encode(*again), written);
}

void place(QByteArrayView bytes) {
  sameRecords(bytes, placefile::kKind, placefile::kVersion);
  const Result<std::optional<Place>> decoded = placefile::decode(bytes);
  refusedForAReason(decoded, bytes, placefile::kKind, placefile::kVersion);
  if (!decoded) return;
  if (const std::optional<Place>& p = *decoded) {
    if (!isReadingPage(p->page) || keptName(p->page) != p->page) fuzzing::fail("not a place to keep: ", p->page);
    if (p->scroll.y < 0 || p->scroll.height < 0) fuzzing::fail("a negative offset");
    keptParagraph(p->ownTitle, placefile::kLongestTitle, "the title");
  }
  writtenBackReadsTheSame(*decoded, placefile::encode, placefile::decode);
}

void pagesRead(QByteArrayView bytes) {
  sameRecords(bytes, pagesreadfile::kKind, pagesreadfile::kVersion);
  const Result<std::vector<QString>> decoded = pagesreadfile::decode(bytes);
  refusedForAReason(decoded, bytes, pagesreadfile::kKind, pagesreadfile::kVersion);
  if (!decoded) return;
  QSet<QString> seen;
  for (const QString& page : *decoded) {
    if (!isKeepable(page) || keptName(page) != page) fuzzing::fail("not a page name to keep: ", page);
    seen.insert(page);
  }
  if (seen.size() != qsizetype(decoded->size())) fuzzing::fail("a page read twice");
  writtenBackReadsTheSame(*decoded, pagesreadfile::encode, [](QByteArrayView b) { return pagesreadfile::decode(b); });
}

void bookmarks(QByteArrayView bytes) {
  sameRecords(bytes, bookmarkfile::kKind, bookmarkfile::kVersion);
  const Result<std::vector<Bookmark>> decoded = bookmarkfile::decode(bytes);
  refusedForAReason(decoded, bytes, bookmarkfile::kKind, bookmarkfile::kVersion);
  if (!decoded) return;
  QSet<QString> seen;
  for (const Bookmark& b : *decoded) {
    if (!isReadingPage(b.page) || keptName(b.page) != b.page) fuzzing::fail("not a page to bookmark: ", b.page);
    keptParagraph(b.note, kLongestNote, "a note");
    keptParagraph(b.ownTitle, kLongestTitle, "a title");
    seen.insert(b.page);
  }
  if (seen.size() != qsizetype(decoded->size())) fuzzing::fail("a page bookmarked twice");
  writtenBackReadsTheSame(*decoded, bookmarkfile::encode, bookmarkfile::decode);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const QByteArrayView file = fuzzing::bytes(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: place(file); break;
    case 1: pagesRead(file); break;
    case 2: bookmarks(file); break;
  }
  return 0;
}
