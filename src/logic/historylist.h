#pragma once
// The history window's list, built afresh from the history log and the page catalogue at
// every opening of the window.
//
// The log is cut into records: a record ends at a CR, and the CR and the one character after
// it (the LF of CR LF) are passed over. A last record without its line end is still a record,
// and an empty log has none. At most kCapacity records are taken.
//
// Each record is listed as it is stored, quotation marks included, unless the catalogue
// "files.qx" was there and read to its end (neither too many lines nor a page number that
// does not convert). Then the records are looked up instead: a record is trimmed of spaces,
// and every catalogue name, itself trimmed, that occurs in it from its second character on,
// letters compared without regard to case, lists that catalogue entry's title, in
// catalogue order. The names looked at end before the first entry whose trimmed name is
// empty. A blank record and a record that holds no name list nothing.
//
// The look-up gives exactly what comparing every record with every name would, but through
// one automaton over all the names, so it costs the length of the records, not their count
// times the catalogue's.
#include "logic/datafiles.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace history {

inline constexpr int kCapacity = search::kCapacity;

class HistoryList {
 public:
  HistoryList() = default;  // an empty list

  // Both steps below, one after the other.
  static HistoryList load(QByteArray log, std::optional<QByteArray> catalogue);

  // Lists the records of the log as they are stored. `log` is empty when the log is absent
  // or could not be read.
  void setLog(QByteArray log);
  // Shown as "Too many History entries!": the log held more than kCapacity records; the
  // first kCapacity are used.
  bool tooManyRecords() const { return tooManyRecords_; }

  // Reads the catalogue and, when it was read to its end, lists the records' titles instead.
  // `catalogue` is nothing when "files.qx" is absent or could not be read.
  void lookUpTitles(std::optional<QByteArray> catalogue);
  // How reading the catalogue went: tooMany is shown as "Too many files!". Empty before
  // lookUpTitles and when there was no catalogue.
  const std::optional<search::ReadStatus>& catalogueStatus() const { return catalogueStatus_; }
  // The records were looked up, so the items are titles.
  bool titled() const { return titled_; }

  int size() const { return int(items_.size()); }
  // The text of item i as listed: a title, or a record as stored.
  QString text(int i) const;
  QByteArrayView textBytes(int i) const;
  // The catalogue name, as stored, of the entry whose title item i shows; empty for a record
  // listed as it is.
  QByteArrayView histPage(int i) const;
  // The page that opening item i shows, relative to the course's base location: the
  // catalogue name trimmed of spaces, or for a record listed as it is, the record without
  // its quotation marks, trimmed. Empty when there is nothing to open.
  QString pageToOpen(int i) const;

 private:
  struct Span {
    qsizetype begin = 0;
    qsizetype size = 0;
  };
  struct Item {
    int record = 0;  // index into records_
    int entry = 0;   // catalogue entry whose title is shown; 0 for the record as it is
  };
  QByteArrayView record(int r) const {
    return QByteArrayView(log_).sliced(records_[size_t(r)].begin, records_[size_t(r)].size);
  }
  bool valid(int i) const { return i >= 0 && size_t(i) < items_.size(); }

  QByteArray log_;
  std::vector<Span> records_;
  bool tooManyRecords_ = false;
  search::PageTable catalogue_;
  std::optional<search::ReadStatus> catalogueStatus_;
  bool titled_ = false;
  std::vector<Item> items_;
};

}  // namespace history
