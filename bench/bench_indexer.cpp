// tavrin-index on a course at full capacity: 12400 pages to number (plus the class pages it
// passes over), made from the same generated data as the search benchmark, so the words
// and page lists it must find are known. Before anything is timed, its output must give
// every word of the data with the same pages.
#include "support/coursedata.h"

#include "indexer.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Fixture {
  QTemporaryDir dir;
  QString pages, out;
  qint64 pageBytes = 0;
  int pageCount = 0;
  // Every word the pages must give, upper-cased, with its pages.
  std::map<QByteArray, QByteArray> expected;
};
Fixture* fx = nullptr;

[[noreturn]] void fail(const QString& why) {
  std::fprintf(stderr, "bench_indexer: %s\n", qPrintable(why));
  std::exit(1);
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) fail("cannot write " + path);
}

QByteArray upper(QByteArray word) {
  for (char& c : word) c = char(cp1252::upper(static_cast<unsigned char>(c)));
  return word;
}

// The words a word of the data gives on a page: none for "2n2222" or "r47" (one letter).
bool isIndexedWord(const QByteArray& word) {
  int letters = 0;
  for (char c : word) letters += (c >= 'a' && c <= 'z');
  static const QList<QByteArray> stop = indexer::stopWords();
  return letters >= 2 && !stop.contains(word);
}

// A page about 3 KB long, like the sample course's: a head with a style sheet, the bar of
// links and a heading, then in <main> the page's words in sentences padded with common
// words, numbers, references and a unit that Windows-1252 cannot write, none of which the
// index may take.
QByteArray pageHtml(const QString& title, const std::vector<QByteArray>& words) {
  static const char* const kGlue[] = {"the", "of",   "and",  "in", "to", "with", "which", "is",
                                      "for", "this", "that", "it", "as", "by",   "on",    "from"};
  QByteArray html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title.toUtf8() +
      "</title>\n<style>\nbody { margin: 0; background: #f6f5ef; font-family: sans-serif; }\n"
      "nav.bar { background: #1c3a5e; padding: 6px 14px; }\nmain { margin: 0 auto; max-width: 46em; }\n"
      "</style>\n</head>\n<body>\n<nav class=\"bar\"><a href=\"qx010001.qx\">Section</a> "
      "<a href=\"qx010001.qx\">&lt;&lt; Previous</a> <a href=\"qx010002.qx\">Next &gt;&gt;</a></nav>\n<header><h1>" +
      title.toUtf8() + "</h1></header>\n<main>\n<p>";
  size_t g = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    html += words[i] + ' ';
    html += kGlue[g++ % 16];
    html += ' ';
    html += kGlue[g++ % 16];
    html += ' ' + words[(i * 7 + 3) % words.size()] + ' ';
    if (i % 6 == 5) html += "12 &ndash; 4.7&nbsp;k\xCE\xA9.</p>\n<p>";
  }
  html += "</p>\n";
  while (html.size() < 2600) html += "<p>It is as it is, and this is that, for all of the 24 of them.</p>\n";
  html += "</main>\n</body>\n</html>\n";
  return html;
}

void makeCourse() {
  const coursedata::Course data = coursedata::generate({});
  const auto pages = search::PageTable::read(data.filesQx);
  const auto words = search::WordTable::read(data.wordsQx);
  std::vector<std::vector<QByteArray>> onPage(size_t(search::kCapacity) + 1);
  for (int k = 1; k <= search::kCapacity; ++k) {
    const QByteArray word = words.word(k).toByteArray();
    const QByteArray list = words.pages(k).toByteArray();
    if (word.isEmpty()) continue;
    for (const QByteArray& p : list.split('\t'))
      if (!p.isEmpty()) onPage[size_t(p.toInt())].push_back(word);
    if (isIndexedWord(word)) fx->expected[upper(word)] = list;
  }
  fx->pages = fx->dir.filePath("qx2");
  fx->out = fx->dir.filePath("out");
  QDir().mkpath(fx->pages);
  for (int p = 1; p <= search::kCapacity; ++p) {
    const QByteArray html = pageHtml(cp1252::decode(pages.title(p)), onPage[size_t(p)]);
    writeFile(fx->pages + '/' + cp1252::decode(pages.file(p)), html);
    fx->pageBytes += html.size();
    ++fx->pageCount;
  }
  // Class pages, which it passes over by name.
  for (const char* key : {"mod", "obj", "rev"})
    for (int m = 1; m <= 24; ++m)
      for (char l = 'a'; l <= 'g'; ++l)
        writeFile(fx->pages + QString::asprintf("/%s%02d%c.qx", key, m, l), pageHtml("Class page", {"skipped"}));
}

// The index must give exactly the data's words, each with the data's pages.
void checkOutput() {
  const Result<indexer::Output> outcome = indexer::indexFolder(fx->pages);
  if (!outcome) fail(outcome.error());
  const auto got = search::WordTable::read(outcome->wordsQx);
  std::map<QByteArray, QByteArray> found;
  for (int k = 1; k <= got.status().lines; ++k) found[got.word(k).toByteArray()] = got.pages(k).toByteArray();
  if (outcome->pages != search::kCapacity) fail(QStringLiteral("%1 pages numbered").arg(outcome->pages));
  if (found != fx->expected) fail("the words or their pages differ from the data");
  std::printf(
      "%d pages to number (%.1f MB, %lld bytes a page on average) and 504 class pages; "
      "%d words, %zu page entries\n",
      fx->pageCount, double(fx->pageBytes) / 1e6, fx->pageBytes / fx->pageCount, outcome->words,
      size_t(std::count(outcome->wordsQx.begin(), outcome->wordsQx.end(), '\t')) - size_t(outcome->words));
}

void indexInProcess(benchmark::State& state) {
  for (auto _ : state) {
    const Result<indexer::Output> outcome = indexer::indexFolder(fx->pages);
    if (!outcome || indexer::writeOutput(*outcome, fx->out)) state.SkipWithError("indexing failed");
  }
}

void indexProgram(benchmark::State& state) {
  for (auto _ : state) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TAVRIN_INDEX_PROGRAM), {QStringLiteral("--out"), fx->out, fx->pages});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) state.SkipWithError("tavrin-index failed");
    process.readAllStandardOutput();
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Fixture fixture;
  fx = &fixture;
  if (!fx->dir.isValid()) fail("no temporary folder");
  makeCourse();
  checkOutput();

  benchmark::RegisterBenchmark("index/in_process", indexInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("index/program", indexProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
