// The bookmarks' export read back: the input is an export's bytes. What an import reads is
// merged into empty bookmarks, counted; those are exported, and the export must read back whole
// and, merged into empty bookmarks again, give the same rows and the same export; merged over
// the bookmarks it came from it changes nothing. The bookmarks' own file must read back as them
// too. The catalogue that orders and titles them is a fixed small one: a catalogue read from the
// input would be built at its full capacity for every input, some fifty times slower.
#include "fuzzing.h"

#include "logic/bookmarks.h"
#include "support/memoryfiles.h"

using namespace reading;

namespace {

const QString kBase = QStringLiteral("http://127.0.0.1:8642/qx_cbt/qx2/");
const QString kFile = QStringLiteral("/user/bookmarks.txt");
// Module pages out of name order, a class page, a start page, titles with a TAB, a line break
// and a letter of the code page, a title past the longest kept.
const QByteArray kCatalogue =
    "1\tqxa.qx\tStart\r\n"
    "2\tqx070012.qx\tOhm's law\tin practice\r\n"
    "3\tqx030002.qx\tCharge\nand \xe9nergie\r\n"
    "4\tmod07c.qx\tSeven\r\n"
    "5\tglossary.qx\t" +
    QByteArray(300, 'g') + "\r\n6\ta.qx\tA\r\n";
const CourseCatalogue* catalogue = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  static const CourseCatalogue fixed = CourseCatalogue::read(kCatalogue);
  catalogue = &fixed;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<std::vector<Bookmark>> imported = bookmarkexport::read(fuzzing::bytes(data, size));
  if (!imported) {
    if (!imported.error().startsWith(QLatin1String("line ")) && !imported.error().startsWith(QLatin1String("it")))
      fuzzing::fail("refused for no reason given: ", imported.error());
    return 0;
  }
  for (const Bookmark& b : *imported) {
    if (keptName(b.page) != b.page) fuzzing::fail("a page not under its kept name: ", b.page);
    if (oneParagraph(b.note, kLongestNote) != b.note || oneParagraph(b.ownTitle, kLongestTitle) != b.ownTitle)
      fuzzing::fail("a note or title that is not one paragraph");
  }

  MemoryFileSystem files;
  Bookmarks first(files, kFile);
  first.load();
  const Result<Bookmarks::Merged> merged = first.merge(*imported);
  if (!merged) fuzzing::fail("the merge into memory failed: ", merged.error());
  fuzzing::same("every bookmark counted", merged->added + merged->notesChanged + merged->unchanged + merged->notAdded,
                int(imported->size()));
  fuzzing::same("pages added", merged->added, first.size());

  // What the bookmarks' own file holds reads back as them.
  const Result<std::vector<Bookmark>> kept = bookmarkfile::decode(files.files.value(kFile, QByteArray()));
  if (!kept) fuzzing::fail("the bookmarks' file is refused: ", kept.error());
  if (*kept != first.all()) fuzzing::fail("the bookmarks' file reads back otherwise");

  const std::vector<BookmarkRow> rows = first.rows(*catalogue);
  const QByteArray exported = first.exportText(*catalogue, kBase);
  const Result<std::vector<Bookmark>> back = bookmarkexport::read(exported);
  if (!back) fuzzing::fail("the export is refused: ", back.error());

  MemoryFileSystem otherFiles;
  Bookmarks second(otherFiles, kFile);
  second.load();
  const Result<Bookmarks::Merged> again = second.merge(*back);
  if (!again) fuzzing::fail("the merge of the export failed: ", again.error());
  fuzzing::same("all added again", again->added, int(rows.size()));
  if (second.rows(*catalogue) != rows) fuzzing::fail("the export imported gives other rows");
  fuzzing::same("the export of the import", second.exportText(*catalogue, kBase), exported);

  const std::vector<Bookmark> before = first.all();
  const Result<Bookmarks::Merged> over = first.merge(*back);
  if (!over) fuzzing::fail("the merge over the same bookmarks failed: ", over.error());
  fuzzing::same("unchanged over itself", over->unchanged, int(rows.size()));
  if (first.all() != before) fuzzing::fail("the export merged over its bookmarks changed them");
  return 0;
}
