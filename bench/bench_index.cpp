// The index window's filter at full capacity: 12400 words, one keystroke at a time, beside
// the plain filter that upper-cases and compares every entry on every keystroke. Before
// anything is timed, both must list the same entries in the same order for every text.
#include "support/coursedata.h"

#include "logic/datafiles.h"
#include "logic/wordindex.h"
#include "support/straightindex.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Typing "resistor" and deleting it again, key by key; "a" starts the most words.
const char* const kTyping[] = {"r",       "re",     "res",   "resi", "resis", "resist", "resisto", "resistor",
                               "resisto", "resist", "resis", "resi", "res",   "re",     "r",       ""};
const char* const kTexts[] = {"", "a", "re", "res", "resistor", "zz"};

struct Fixture {
  QByteArray wordsQx;
  search::WordTable words;
  search::WordIndex index;
};
Fixture* fx = nullptr;

void load(benchmark::State& state) {
  for (auto _ : state) {
    search::WordIndex index(search::WordTable::read(fx->wordsQx));
    benchmark::DoNotOptimize(index);
  }
}

template <typename Filter>
void filterText(benchmark::State& state, const QString& text, Filter filter) {
  size_t rows = 0;
  for (auto _ : state) {
    rows = filter(text);
    benchmark::ClobberMemory();
  }
  state.counters["rows"] = double(rows);
}

// One keystroke per iteration, going round the typing above.
template <typename Filter>
void typing(benchmark::State& state, Filter filter) {
  std::vector<QString> keys;
  for (const char* t : kTyping) keys.push_back(QString::fromLatin1(t));
  size_t key = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(filter(keys[key]));
    key = (key + 1) % keys.size();
  }
}

size_t indexFilter(const QString& text) {
  const std::span<const int> rows = fx->index.filter(text);
  benchmark::DoNotOptimize(rows.data());
  // A model shows the count at once and only the first rows.
  benchmark::DoNotOptimize(search::WordIndex::foundText(qsizetype(rows.size())));
  return rows.size();
}

size_t straightFilter(const QString& text) {
  const std::vector<int> rows = search::straightFilter(fx->words, text);
  benchmark::DoNotOptimize(rows.data());
  benchmark::DoNotOptimize(search::WordIndex::foundText(qsizetype(rows.size())));
  return rows.size();
}

bool sameEverywhere() {
  std::vector<const char*> texts(std::begin(kTexts), std::end(kTexts));
  texts.insert(texts.end(), std::begin(kTyping), std::end(kTyping));
  bool same = true;
  for (const char* t : texts) {
    const QString text = QString::fromLatin1(t);
    const std::vector<int> straight = search::straightFilter(fx->words, text);
    const std::span<const int> fast = fx->index.filter(text);
    if (std::vector<int>(fast.begin(), fast.end()) != straight) {
      std::fprintf(stderr, "  \"%s\": index %zu rows, plain filter %zu rows, not the same\n", t, fast.size(),
                   straight.size());
      same = false;
    }
  }
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  Fixture fixture;
  fx = &fixture;
  fx->wordsQx = coursedata::generate({}).wordsQx;
  fx->words = search::WordTable::read(fx->wordsQx);
  fx->index = search::WordIndex(fx->words);
  std::fprintf(stderr, "words.qx %lld bytes, %d lines\n", static_cast<long long>(fx->wordsQx.size()),
               fx->words.status().lines);
  if (!sameEverywhere()) return 1;

  benchmark::RegisterBenchmark("index/load", load)->Unit(benchmark::kMillisecond);
  for (const char* t : kTexts) {
    const QString text = QString::fromLatin1(t);
    const std::string name = std::string("index/filter/\"") + t + "\"";
    benchmark::RegisterBenchmark((name + "/straight").c_str(), [text](benchmark::State& s) {
      filterText(s, text, straightFilter);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/index").c_str(), [text](benchmark::State& s) {
      filterText(s, text, indexFilter);
    })->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("index/typing/straight", [](benchmark::State& s) {
    typing(s, straightFilter);
  })->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("index/typing/index", [](benchmark::State& s) {
    typing(s, indexFilter);
  })->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
