#pragma once
// The history list built the plain way, step by step as the history window's loading is
// described: the log cut at each CR with the character after it passed over, the catalogue
// read into its tables, and every record compared with every catalogue name in turn. Its
// cost is the records times the names, so the program uses history::HistoryList; this one
// is the yardstick that list is tested and measured against.
#include <QByteArray>

#include <optional>
#include <vector>

namespace history {

struct StraightItem {
  QByteArray text;      // as listed
  QByteArray histPage;  // the catalogue name as stored; empty for a record listed as it is
  bool operator==(const StraightItem&) const = default;
};

struct StraightList {
  std::vector<StraightItem> items;
  bool tooManyRecords = false;
  bool titled = false;
};

StraightList straightLoad(const QByteArray& log, const std::optional<QByteArray>& catalogue);

}  // namespace history
