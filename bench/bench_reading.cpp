// What the reader keeps of a student's way through the course, at full size: 12400 pages read
// (every page of a full catalogue), 1000 bookmarks with notes and the place to resume at, in
// their files on disk beside the generated 12400-page "files.qx". Timed, each as the window
// will do it: loading the three files and the catalogue; progress through the 24 modules; the
// bookmarks listed; a bookmark toggled and its file written; a new page arriving (the place and
// the pages read written); a page read before arriving (the place alone written); a scroll
// written. Every write is whole and on disk (written beside, flushed, renamed). The program
// writes behind (storefile.h): each change is timed so, as long as the window waits for it,
// and at once, until it is on disk. Beside them, the opening of the history at the same size
// (12400 records looked up in the same catalogue, both files read from disk), the list the
// history window shows.
#include "logic/coursecompanion.h"
#include "logic/historylist.h"
#include "posix/posixfilesystem.h"
#include "readinglog.h"
#include "support/coursedata.h"
#include "support/files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace reading;

namespace {

constexpr int kBookmarks = 1000;

struct Fixture {
  QTemporaryDir dir;
  QString userDir, filesPath, logPath;
  std::vector<QString> catalogued;  // every catalogue page, in course order
};
Fixture* fx = nullptr;
PosixFileSystem files;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
  }
}

std::unique_ptr<CourseCompanion> loaded(store::Writing writing = store::Writing::Behind) {
  auto c = std::make_unique<CourseCompanion>(files, fx->userDir, fx->filesPath, writing);
  c->load();
  return c;
}

// Writing behind, each change is timed from a file with nothing left to write, as the window
// sees it (the user does not act fifty times a second); writing at once, until it is on disk.
void settled(benchmark::State& state, CourseCompanion& c, store::Writing writing) {
  if (writing == store::Writing::AtOnce) return;
  state.PauseTiming();
  c.flush();
  state.ResumeTiming();
}

void setUp(Fixture& f) {
  f.userDir = f.dir.filePath(QStringLiteral("Vendrel/TavrinLab/"));
  check(QDir().mkpath(f.userDir), "cannot make the user folder");
  coursedata::Options options;
  options.words = 10;  // only the catalogue is needed
  options.longestList = 5;
  const QByteArray filesQx = coursedata::generate(options).filesQx;
  f.filesPath = f.dir.filePath(QStringLiteral("files.qx"));
  check(writeFile(f.filesPath, filesQx), "cannot write files.qx");
  const CourseCatalogue catalogue = CourseCatalogue::read(filesQx);
  for (int m = 1; m <= pages::kModules; ++m)
    for (const QString& page : catalogue.modulePages(m)) f.catalogued.push_back(page);

  // Every page read; a thousand bookmarks spread over the course, each with a note.
  check(writeFile(PagesRead::pathIn(f.userDir), pagesreadfile::encode(f.catalogued)), "cannot write the pages read");
  std::vector<Bookmark> marks;
  for (int i = 0; i < kBookmarks; ++i) {
    const QString& page = f.catalogued[size_t(i) * f.catalogued.size() / kBookmarks];
    marks.push_back(
        {page, QStringLiteral("Note %1: work the example again, then check the units against the table.").arg(i), {}});
  }
  std::sort(marks.begin(), marks.end(), [](const Bookmark& a, const Bookmark& b) { return a.page < b.page; });
  check(writeFile(Bookmarks::pathIn(f.userDir), bookmarkfile::encode(marks)), "cannot write the bookmarks");
  check(writeFile(ReadingPlace::pathIn(f.userDir), placefile::encode(Place{f.catalogued[5000], {1840, 5120}, {}})),
        "cannot write the place");

  f.logPath = f.dir.filePath(QStringLiteral("history.qx"));
  check(writeFile(f.logPath, makeReadingLog(history::kCapacity)), "cannot write the history log");

  const auto c = loaded();
  std::fprintf(stderr, "files.qx: %d pages; pages read %d (%lld bytes); bookmarks %d (%lld bytes); refused: %s\n",
               c->catalogue().size(), c->pagesRead().size(),
               static_cast<long long>(QFileInfo(PagesRead::pathIn(f.userDir)).size()), c->bookmarks().size(),
               static_cast<long long>(QFileInfo(Bookmarks::pathIn(f.userDir)).size()),
               c->takeRefusals().isEmpty() ? "none" : "some");
  int read = 0, total = 0;
  for (const ModuleProgress& p : c->progress()) {
    read += p.read;
    total += p.pages;
  }
  check(c->catalogue().size() == search::kCapacity && read == total && total == search::kCapacity &&
            c->bookmarks().size() == kBookmarks && c->place().place(),
        "the fixture is not at full size");
}

// The stores live as long as the program: their end is not timed.
void load(benchmark::State& state) {
  for (auto _ : state) {
    auto c = loaded();
    benchmark::DoNotOptimize(c->pagesRead().size());
    state.PauseTiming();
    c.reset();
    state.ResumeTiming();
  }
}

void progress(benchmark::State& state) {
  const auto c = loaded();
  int read = 0;
  for (auto _ : state) {
    const auto modules = c->progress();
    read = modules[6].read;
    benchmark::DoNotOptimize(modules);
  }
  state.counters["module 7 read"] = read;
}

void bookmarkRows(benchmark::State& state) {
  const auto c = loaded();
  for (auto _ : state) {
    const std::vector<BookmarkRow> rows = c->bookmarks().rows(c->catalogue());
    benchmark::DoNotOptimize(rows.data());
  }
}

// A page bookmarked and the next time taken away again: every toggle writes the file.
void toggleBookmark(benchmark::State& state, store::Writing writing) {
  const auto c = loaded(writing);
  const QString page = fx->catalogued[7];  // not among the thousand
  for (auto _ : state) {
    settled(state, *c, writing);
    if (!c->bookmarks().toggle(page)) state.SkipWithError("the bookmark was refused");
  }
  c->flush();
  state.counters["bookmarks"] = c->bookmarks().size();
}

// A page not read before: the place and the pages read are written. Each iteration arrives at a
// new page, so the file grows by one name per iteration from 12400 pages.
void arriveNew(benchmark::State& state, store::Writing writing) {
  const auto c = loaded(writing);
  static int next = 0;
  for (auto _ : state) {
    settled(state, *c, writing);
    ++next;
    const QString page = QStringLiteral("qx%1%2.qx").arg(next % 24 + 1, 2, 10, QChar('0')).arg(5000 + next / 24);
    c->arrived(page);
    if (!c->pagesRead().isRead(page)) state.SkipWithError("the page was not counted");
  }
  c->flush();
  state.counters["pages read"] = c->pagesRead().size();
}

// A page read before: only the place is written.
void arriveAgain(benchmark::State& state, store::Writing writing) {
  const auto c = loaded(writing);
  size_t i = 0;
  for (auto _ : state) {
    settled(state, *c, writing);
    c->arrived(fx->catalogued[i++ % fx->catalogued.size()]);
  }
  c->flush();
}

// A scroll, written as the window's timer writes it.
void scrollSaved(benchmark::State& state, store::Writing writing) {
  const auto c = loaded(writing);
  c->arrived(fx->catalogued[100]);
  int y = 0;
  for (auto _ : state) {
    settled(state, *c, writing);
    c->place().scrolled({++y, 5120});
    if (!c->place().save()) state.SkipWithError("the place was refused");
  }
  c->flush();
}

// The peer: the history window's list at the same size, both files read from disk.
void historyOpened(benchmark::State& state) {
  openHistoryListFromDisk(state, files, fx->logPath, fx->filesPath);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Fixture fixture;
  fx = &fixture;
  setUp(fixture);
  benchmark::RegisterBenchmark("reading/load", load)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("reading/progress", progress)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("reading/bookmark_rows", bookmarkRows)->Unit(benchmark::kMillisecond);
  // The changes a fixed count of times: writing behind, each waits (untimed) for the one before
  // to be on disk, and the pages read stay far within their room.
  for (const auto& [writing, name] :
       {std::pair{store::Writing::Behind, "behind"}, {store::Writing::AtOnce, "on_disk"}}) {
    const std::string suffix = std::string("/") + name;
    benchmark::RegisterBenchmark(("reading/toggle_bookmark" + suffix).c_str(), toggleBookmark, writing)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(200);
    benchmark::RegisterBenchmark(("reading/arrive_new_page" + suffix).c_str(), arriveNew, writing)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(200);
    benchmark::RegisterBenchmark(("reading/arrive_page_read" + suffix).c_str(), arriveAgain, writing)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(200);
    benchmark::RegisterBenchmark(("reading/scroll_saved" + suffix).c_str(), scrollSaved, writing)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(200);
  }
  benchmark::RegisterBenchmark("history/open/list_from_disk", historyOpened)->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fx = nullptr;
  return 0;
}
