#pragma once
// A reader's history log for the history benchmarks: visits in runs of pages through a
// module, jumps to other modules and steps back, now and then a start or contents page (not
// in the catalogue) or a page typed in capitals. The same count always gives the same bytes.
#include "logic/datafiles.h"
#include "logic/historylist.h"
#include "platform/filesystem.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

inline QByteArray makeReadingLog(int records) {
  QRandomGenerator rnd(1207);
  QByteArray log;
  int module = 1, page = 1;
  for (int n = 0; n < records; ++n) {
    const int step = int(rnd.bounded(100));
    if (step < 70)
      ++page;
    else if (step < 80)
      page = qMax(1, page - 1);
    else if (step < 90) {
      module = int(rnd.bounded(1, 25));
      page = int(rnd.bounded(1, 520));
    }
    QByteArray name;
    if (step >= 97)
      name = QByteArray(step == 99 ? "qxcr" : "qx") + char('a' + rnd.bounded(7)) + ".qx";
    else
      name = "qx" + QByteArray::number(module).rightJustified(2, '0') +
             QByteArray::number(page).rightJustified(4, '0') + ".qx";
    if (step == 96) name = name.toUpper();
    log += '"' + name + "\"\r\n";
  }
  return log;
}

// The history window's list as it opens, the log and files.qx read from disk each time.
inline void openHistoryListFromDisk(benchmark::State& state, FileSystem& files, const QString& logPath,
                                    const QString& filesPath) {
  int items = 0;
  for (auto _ : state) {
    const history::HistoryList list = history::HistoryList::load(search::readWholeFile(files, logPath).value_or(""),
                                                                 search::readWholeFile(files, filesPath).take());
    items = list.size();
    benchmark::DoNotOptimize(list);
  }
  state.counters["items"] = items;
}
