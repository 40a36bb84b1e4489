// Opening the history window at full capacity: LoadHist with a log of 12400 records and a
// catalogue of 12400 pages, from reading both files until the list has laid out and painted
// its rows. Beside it the straight history: both files read, every record compared with
// every catalogue name, and a list widget filled one item per row (as it comes, and with
// uniform row sizes). Every list is on screen, so its rows are painted. Before anything is
// timed, the window's rows must be the straight titles, in the same order.
#include "history/frmhist.h"
#include "listbench.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/historylist.h"
#include "posix/posixfilesystem.h"
#include "readinglog.h"
#include "support/coursedata.h"
#include "support/fakeplatform.h"
#include "support/straighthistory.h"
#include "viewer/frmqx.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

// One reader whose history window has been opened once on the full-size log and catalogue,
// shared by all runs. It lives inside main, so the windows go before the application does.
struct Fixture {
  QTemporaryDir dir;
  FakePlatform fake{dir.path()};
  std::unique_ptr<frmQX> main;
  frmHist* window = nullptr;
  QString logPath, filesPath;

  Fixture() {
    coursedata::Options options;
    options.words = 10;  // only the catalogue is needed
    options.longestList = 5;
    filesPath = dir.filePath(QStringLiteral("files.qx"));
    writeFile(filesPath, coursedata::generate(options).filesQx);
    fake.platform.programFolder = dir.path();
    main = std::make_unique<frmQX>(fake.platform, courseSetup(fake));
    main->Form_Load();  // makes the reader's folder
    logPath = main->historyPath();
    writeFile(logPath, makeReadingLog(history::kCapacity));
    fake.browser->arrive(kCourseBase + QStringLiteral("hist.qx"));
    window = static_cast<frmHist*>(main->sideWindows().window(SideWindowKind::History));
    window->resize(968, 741);
    QCoreApplication::processEvents();
  }
};
Fixture* fx = nullptr;
PosixFileSystem files;  // the data files read as the program reads them

void openWindow(benchmark::State& state) {
  if (!paints(fx->window->results())) state.SkipWithError("the window's list is not on screen");
  for (auto _ : state) {
    fx->window->LoadHist();
    settle(fx->window->results());
  }
  state.counters["items"] = fx->window->results()->model()->rowCount();
}

// The straight history into `list`: both files read, the plain look-up, one item per row.
void openStraight(QListWidget& list) {
  const history::StraightList straight = history::straightLoad(search::readWholeFile(files, fx->logPath).value_or(""),
                                                               search::readWholeFile(files, fx->filesPath).take());
  list.clear();
  for (const history::StraightItem& item : straight.items) list.addItem(cp1252::decode(item.text));
  settle(&list);
}

void openStraightList(benchmark::State& state, bool uniform) {
  QListWidget list;
  list.setUniformItemSizes(uniform);
  list.resize(fx->window->results()->size());  // the same area to lay out and paint
  if (!showExposed(list) || !paints(&list)) state.SkipWithError("the list is not on screen");
  for (auto _ : state) openStraight(list);
  state.counters["items"] = list.count();
}

bool sameItems() {
  fx->window->LoadHist();
  if (!paints(fx->window->results())) {
    std::fprintf(stderr, "  the window's list is not on screen\n");
    return false;
  }
  const QStringList rows = rowsOf(fx->window->results());
  QStringList titles;
  const history::StraightList straight = history::straightLoad(*search::readWholeFile(files, fx->logPath),
                                                               search::readWholeFile(files, fx->filesPath).take());
  for (const history::StraightItem& item : straight.items) titles << cp1252::decode(item.text);
  std::fprintf(stderr, "history.qx %lld bytes; %lld items listed\n", static_cast<long long>(QFile(fx->logPath).size()),
               static_cast<long long>(rows.size()));
  bool same = true;
  if (!straight.titled || straight.tooManyRecords || !fx->fake.messages.asked.empty()) {
    std::fprintf(stderr, "  the log or the catalogue was not read whole\n");
    same = false;
  }
  if (rows != titles) {
    std::fprintf(stderr, "  the window lists %lld items, the straight history %lld, not the same\n",
                 static_cast<long long>(rows.size()), static_cast<long long>(titles.size()));
    same = false;
  }
  // And so does the straight list the peer fills.
  QListWidget list;
  openStraight(list);
  if (rowsOf(&list) != titles) {
    std::fprintf(stderr, "  the straight list widget does not list the straight titles\n");
    same = false;
  }
  return same;
}

// Every opening raises the window, which Qt's offscreen platform answers with a warning; the
// rest of the messages pass.
QtMessageHandler passOn = nullptr;
void quietRaise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text != QLatin1String("This plugin does not support raise()")) passOn(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  passOn = qInstallMessageHandler(quietRaise);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  {
    Fixture fixture;
    fx = &fixture;
    if (!sameItems()) return 1;
    benchmark::RegisterBenchmark("history_window/open/list_widget", [](benchmark::State& s) {
      openStraightList(s, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("history_window/open/list_widget_uniform", [](benchmark::State& s) {
      openStraightList(s, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("history_window/open/window", openWindow)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    fx = nullptr;
  }
  benchmark::Shutdown();
  return 0;
}
