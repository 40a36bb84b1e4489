// The history list against its straight implementation: the input is the bytes of the
// history log, then (after a NUL) the bytes of the catalogue "files.qx"; without a NUL there
// is no catalogue. The log's records and their look-up in the catalogue must give the same
// items, in the same order, as comparing every record with every name does.
#include "fuzzing.h"

#include "logic/historylist.h"
#include "support/straighthistory.h"

#include <optional>

namespace {

void compare(const history::HistoryList& got, const history::StraightList& want, const char* what) {
  fuzzing::same(what, got.tooManyRecords(), want.tooManyRecords, " tooManyRecords");
  fuzzing::same(what, got.titled(), want.titled, " titled");
  fuzzing::same(what, size_t(got.size()), want.items.size(), " items");
  for (int i = 0; i < got.size(); ++i) {
    const history::StraightItem& item = want.items[size_t(i)];
    fuzzing::same(what, got.textBytes(i), item.text, " text of item ", i);
    fuzzing::same(what, got.histPage(i), item.histPage, " page of item ", i);
    // What the window shows and opens; decoded from the same bytes, so only run here.
    if (got.text(i).size() != item.text.size()) fuzzing::fail(what, " decoded text of item ", i);
    (void)got.pageToOpen(i);
  }
  for (int i : {-1, got.size()})
    if (!got.textBytes(i).isEmpty() || !got.histPage(i).isEmpty() || !got.pageToOpen(i).isEmpty())
      fuzzing::fail(what, " an item outside the list is not empty: ", i);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<QByteArrayView> parts = fuzzing::split(fuzzing::bytes(data, size), 2);
  const QByteArray log = parts[0].toByteArray();
  const std::optional<QByteArray> catalogue = parts.size() > 1 ? std::optional(parts[1].toByteArray()) : std::nullopt;

  compare(history::HistoryList::load(log, catalogue), history::straightLoad(log, catalogue), "load");

  // The records alone, and then looked up: the window's two steps on one list.
  history::HistoryList list;
  list.setLog(log);
  compare(list, history::straightLoad(log, std::nullopt), "setLog");
  if (catalogue) {
    list.lookUpTitles(catalogue);
    compare(list, history::straightLoad(log, catalogue), "lookUpTitles");
  }
  return 0;
}
