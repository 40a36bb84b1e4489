// The course search at full capacity: 12400 pages, 12400 words. Loading and every query
// run side by side with the peers they are judged against: the plain search
// (ReferenceSearch) and SQLite FTS5 with a prefix index. Before anything is timed, all
// three must return the same pages in the same order for every query.
#include "fts5peer.h"
#include "support/coursedata.h"

#include "logic/datafiles.h"
#include "logic/searchengine.h"
#include "posix/posixfilesystem.h"
#include "support/referencesearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kQueries[] = {"a", "re", "res", "resistor", "re s", "ohm law"};

struct Fixture {
  QByteArray filesQx, wordsQx;
  QTemporaryDir dir;
  QString filesPath, wordsPath;
  search::PageTable pages;
  search::WordTable words;
  std::unique_ptr<search::SearchEngine> engine;
  std::unique_ptr<search::ReferenceSearch> reference;
  std::unique_ptr<Fts5Peer> fts5;
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

// ---- loading ----

void loadTables(benchmark::State& state) {
  for (auto _ : state) {
    auto pages = search::PageTable::read(fx->filesQx);
    auto words = search::WordTable::read(fx->wordsQx);
    benchmark::DoNotOptimize(pages);
    benchmark::DoNotOptimize(words);
  }
}

void loadEngine(benchmark::State& state) {
  for (auto _ : state) {
    auto pages = search::PageTable::read(fx->filesQx);
    auto words = search::WordTable::read(fx->wordsQx);
    search::SearchEngine engine(pages, words);
    benchmark::DoNotOptimize(engine);
  }
}

void loadEngineFromDisk(benchmark::State& state) {
  for (auto _ : state) {
    auto pages = search::PageTable::read(*search::readWholeFile(files, fx->filesPath));
    auto words = search::WordTable::read(*search::readWholeFile(files, fx->wordsPath));
    search::SearchEngine engine(pages, words);
    benchmark::DoNotOptimize(engine);
  }
}

void loadFts5(benchmark::State& state) {
  for (auto _ : state) {
    auto pages = search::PageTable::read(fx->filesQx);
    auto words = search::WordTable::read(fx->wordsQx);
    Fts5Peer fts5(pages, words);
    benchmark::DoNotOptimize(&fts5);
  }
}

// ---- queries ----

template <typename Search>
void runQuery(benchmark::State& state, const QString& input, Search search) {
  std::vector<int> found;
  for (auto _ : state) {
    search(input, found);
    benchmark::DoNotOptimize(found.data());
    benchmark::ClobberMemory();
  }
  state.counters["pages"] = double(found.size());
}

bool sameEverywhere() {
  bool same = true;
  for (const char* q : kQueries) {
    const QString input = QString::fromLatin1(q);
    std::vector<int> ref, eng, fts;
    fx->reference->search(input, ref);
    fx->engine->search(input, eng);
    fx->fts5->search(input, fts);
    std::fprintf(stderr, "  \"%s\": %zu pages\n", q, ref.size());
    if (eng != ref || fts != ref) {
      std::fprintf(stderr, "  \"%s\": engine %zu pages, FTS5 %zu pages, not the same as the plain search\n", q,
                   eng.size(), fts.size());
      same = false;
    }
  }
  return same;
}

void describeData() {
  long entries = 0;
  int longest = 0;
  for (int k = 1; k <= search::kCapacity; ++k) {
    const int n = int(fx->words.pages(k).count('\t'));
    entries += n;
    longest = std::max(longest, n);
  }
  std::fprintf(stderr, "files.qx %lld bytes, words.qx %lld bytes; %ld page entries, longest list %d\n",
               static_cast<long long>(fx->filesQx.size()), static_cast<long long>(fx->wordsQx.size()), entries,
               longest);
  for (const char* prefix : {"a", "re", "res"}) {
    int matching = 0;
    long hits = 0;
    for (int k = 1; k <= search::kCapacity; ++k)
      if (fx->words.word(k).startsWith(prefix)) {
        ++matching;
        hits += fx->words.pages(k).count('\t');
      }
    std::fprintf(stderr, "  words beginning with \"%s\": %d, on %ld page entries\n", prefix, matching, hits);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  Fixture fixture;
  fx = &fixture;
  const coursedata::Course course = coursedata::generate({});
  fx->filesQx = course.filesQx;
  fx->wordsQx = course.wordsQx;
  fx->filesPath = fx->dir.filePath("files.qx");
  fx->wordsPath = fx->dir.filePath("words.qx");
  writeFile(fx->filesPath, fx->filesQx);
  writeFile(fx->wordsPath, fx->wordsQx);
  fx->pages = search::PageTable::read(fx->filesQx);
  fx->words = search::WordTable::read(fx->wordsQx);
  fx->engine = std::make_unique<search::SearchEngine>(fx->pages, fx->words);
  fx->reference = std::make_unique<search::ReferenceSearch>(fx->pages, fx->words);
  fx->fts5 = std::make_unique<Fts5Peer>(fx->pages, fx->words);

  describeData();
  if (!sameEverywhere()) return 1;

  benchmark::RegisterBenchmark("load/tables", loadTables)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("load/engine", loadEngine)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("load/engine_from_disk", loadEngineFromDisk)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("load/fts5", loadFts5)->Unit(benchmark::kMillisecond);
  for (const char* q : kQueries) {
    const QString input = QString::fromLatin1(q);
    const std::string name = std::string("search/") + q;
    benchmark::RegisterBenchmark((name + "/reference").c_str(), [input](benchmark::State& s) {
      runQuery(s, input, [](const QString& in, std::vector<int>& out) { fx->reference->search(in, out); });
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/engine").c_str(), [input](benchmark::State& s) {
      runQuery(s, input, [](const QString& in, std::vector<int>& out) { fx->engine->search(in, out); });
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/fts5").c_str(), [input](benchmark::State& s) {
      runQuery(s, input, [](const QString& in, std::vector<int>& out) { fx->fts5->search(in, out); });
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/fts5_rowid_order").c_str(), [input](benchmark::State& s) {
      runQuery(s, input, [](const QString& in, std::vector<int>& out) { fx->fts5->search(in, out, false); });
    })->Unit(benchmark::kMicrosecond);
  }
  // The search window's own benchmark (cmdFTS_Click to a filled list) belongs beside these,
  // in bench_search_window, once frmSearch exists.
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
