// Opening the history window at full capacity: a log of 12400 records looked up in a
// catalogue of 12400 pages, from the files' bytes to the finished list, beside the plain
// list that compares every record with every catalogue name. Before anything is timed,
// both must give the same items in the same order.
#include "support/coursedata.h"

#include "logic/datafiles.h"
#include "logic/historylist.h"
#include "posix/posixfilesystem.h"
#include "readinglog.h"
#include "support/straighthistory.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

struct Fixture {
  QByteArray log, filesQx;
  QTemporaryDir dir;
  QString logPath, filesPath;
};
Fixture* fx = nullptr;
PosixFileSystem files;  // the data files read as the program reads them

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

bool same(const history::HistoryList& list, const history::StraightList& straight) {
  if (list.titled() != straight.titled || list.tooManyRecords() != straight.tooManyRecords ||
      size_t(list.size()) != straight.items.size())
    return false;
  for (int i = 0; i < list.size(); ++i)
    if (list.textBytes(i) != straight.items[size_t(i)].text || list.histPage(i) != straight.items[size_t(i)].histPage)
      return false;
  return true;
}

void openList(benchmark::State& state) {
  int items = 0;
  for (auto _ : state) {
    const history::HistoryList list = history::HistoryList::load(fx->log, fx->filesQx);
    items = list.size();
    benchmark::DoNotOptimize(list);
  }
  state.counters["items"] = items;
}

void openListFromDisk(benchmark::State& state) {
  openHistoryListFromDisk(state, files, fx->logPath, fx->filesPath);
}

void openStraight(benchmark::State& state) {
  size_t items = 0;
  for (auto _ : state) {
    const history::StraightList list = history::straightLoad(fx->log, fx->filesQx);
    items = list.items.size();
    benchmark::DoNotOptimize(list);
  }
  state.counters["items"] = double(items);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  Fixture fixture;
  fx = &fixture;
  coursedata::Options options;
  options.words = 10;  // only the catalogue is needed
  options.longestList = 5;
  fx->filesQx = coursedata::generate(options).filesQx;
  fx->log = makeReadingLog(history::kCapacity);
  fx->logPath = fx->dir.filePath("history.qx");
  fx->filesPath = fx->dir.filePath("files.qx");
  writeFile(fx->logPath, fx->log);
  writeFile(fx->filesPath, fx->filesQx);

  const history::HistoryList list = history::HistoryList::load(fx->log, fx->filesQx);
  std::fprintf(stderr, "history.qx %lld bytes, files.qx %lld bytes; %d items listed\n",
               static_cast<long long>(fx->log.size()), static_cast<long long>(fx->filesQx.size()), list.size());
  if (!list.titled() || !same(list, history::straightLoad(fx->log, fx->filesQx))) {
    std::fprintf(stderr, "the history list is not the same as the plain one\n");
    return 1;
  }

  benchmark::RegisterBenchmark("history/open/straight", openStraight)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("history/open/list", openList)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("history/open/list_from_disk", openListFromDisk)->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
