// The search window at full capacity: from cmdFTS_Click to a list laid out and painted,
// beside the naive list that takes one inserted item per row.
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/searchengine.h"
#include "search/frmsearch.h"
#include "support/coursedata.h"
#include "support/fakeplatform.h"
#include "viewer/frmqx.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>

namespace {

const char* const kQueries[] = {"a", "re", "res", "resistor", "re s", "ohm law"};

// One reader with the full-size data loaded into its search window, shared by all runs.
struct Fixture {
  QTemporaryDir dir;
  FakePlatform fake{dir.path()};
  std::unique_ptr<frmQX> main;
  frmSearch* window = nullptr;
  search::PageTable pages;
  search::WordTable words;

  Fixture() {
    const coursedata::Course course = coursedata::generate({});
    for (const auto& [name, bytes] : {std::pair{"files.qx", course.filesQx}, std::pair{"words.qx", course.wordsQx}}) {
      QFile f(dir.filePath(QString::fromLatin1(name)));
      f.open(QIODevice::WriteOnly);
      f.write(bytes);
    }
    pages = search::PageTable::read(course.filesQx);
    words = search::WordTable::read(course.wordsQx);
    fake.platform.programFolder = dir.path();
    main = std::make_unique<frmQX>(fake.platform);
    main->Form_Load();
    fake.browser->arrive(kCourseBase + QStringLiteral("search.qx"));
    window = static_cast<frmSearch*>(main->sideWindows().window(SideWindowKind::Search));
    window->resize(968, 741);
    QCoreApplication::processEvents();
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

// Until the rows are on screen: the view lays out and paints what it shows.
void settle(QListView* list) {
  list->doItemsLayout();
  list->viewport()->repaint();
}

void BM_WindowSearch(benchmark::State& state) {
  Fixture& f = fixture();
  const QString query = QString::fromLatin1(kQueries[state.range(0)]);
  state.SetLabel(kQueries[state.range(0)]);
  f.window->input()->setText(query);
  for (auto _ : state) {
    f.window->cmdFTS_Click();
    settle(f.window->results());
  }
  state.counters["rows"] = f.window->resultCount();
}
BENCHMARK(BM_WindowSearch)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// The same rows put into a list widget one item at a time.
void BM_ListWidgetPerRow(benchmark::State& state) {
  Fixture& f = fixture();
  state.SetLabel(kQueries[state.range(0)]);
  search::SearchEngine engine(f.pages, f.words);
  std::vector<int> found;
  QListWidget list;
  list.resize(f.window->results()->size());  // the same area to lay out and paint
  list.show();
  for (auto _ : state) {
    engine.search(QString::fromLatin1(kQueries[state.range(0)]), found);
    list.clear();
    for (int p : found) list.addItem(cp1252::decode(f.pages.title(p)) + u' ');
    settle(&list);
  }
  state.counters["rows"] = double(found.size());
}
BENCHMARK(BM_ListWidgetPerRow)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
