// The search window at full capacity: from cmdFTS_Click to a list laid out and painted,
// beside lists that take the same rows without the window's model: a list widget with one
// item inserted per row, the same with uniform row sizes, and a string list model in a list
// view with uniform row sizes. Each list is on screen, so its rows are painted. Before
// anything is timed, every list must show the window's rows.
#include "listbench.h"
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
#include <QStringListModel>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>

namespace {

const char* const kQueries[] = {"a", "re", "res", "resistor", "re s", "ohm law"};

// One reader with the full-size data loaded into its search window, shared by all runs. It
// lives inside main, so the windows go before the application does.
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
      if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
      }
    }
    pages = search::PageTable::read(course.filesQx);
    words = search::WordTable::read(course.wordsQx);
    fake.platform.programFolder = dir.path();
    main = std::make_unique<frmQX>(fake.platform, courseSetup(fake));
    main->Form_Load();
    fake.browser->arrive(kCourseBase + QStringLiteral("search.qx"));
    window = static_cast<frmSearch*>(main->sideWindows().window(SideWindowKind::Search));
    window->resize(968, 741);
    QCoreApplication::processEvents();
  }
};
Fixture* fx = nullptr;

// The lists beside the window. Each does the same search with the same engine, then puts
// the rows into its list; the list has the window's list's size.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void show(const std::vector<int>& found) = 0;
  virtual QListView* view() = 0;

  void run(const QString& query) {
    engine_.search(query, found_);
    show(found_);
    settle(view());
  }
  size_t rows() const { return found_.size(); }

 protected:
  QString title(int page) const { return cp1252::decode(fx->pages.title(page)) + u' '; }
  void place() {
    view()->resize(fx->window->results()->size());
    showExposed(*view());
  }

 private:
  search::SearchEngine engine_{fx->pages, fx->words};
  std::vector<int> found_;
};

// One item inserted per row, as a list without a model takes them; `uniform` lets it lay out
// the rows without measuring each one.
class ListWidgetPeer : public Peer {
 public:
  explicit ListWidgetPeer(bool uniform) {
    list_.setUniformItemSizes(uniform);
    place();
  }
  void show(const std::vector<int>& found) override {
    list_.clear();
    for (int p : found) list_.addItem(title(p));
  }
  QListView* view() override { return &list_; }

 private:
  QListWidget list_;
};

// The rows made into a string list and handed to Qt's own list model at once.
class StringListPeer : public Peer {
 public:
  StringListPeer() {
    list_.setUniformItemSizes(true);
    list_.setModel(&model_);
    place();
  }
  void show(const std::vector<int>& found) override {
    QStringList rows;
    rows.reserve(qsizetype(found.size()));
    for (int p : found) rows << title(p);
    model_.setStringList(std::move(rows));
  }
  QListView* view() override { return &list_; }

 private:
  QStringListModel model_;
  QListView list_;
};

enum class Contestant { ListWidget, ListWidgetUniform, StringListModel };

std::unique_ptr<Peer> makePeer(Contestant c) {
  switch (c) {
    case Contestant::ListWidget: return std::make_unique<ListWidgetPeer>(false);
    case Contestant::ListWidgetUniform: return std::make_unique<ListWidgetPeer>(true);
    case Contestant::StringListModel: return std::make_unique<StringListPeer>();
  }
  return nullptr;
}

const std::pair<Contestant, const char*> kPeers[] = {{Contestant::ListWidget, "list_widget"},
                                                     {Contestant::ListWidgetUniform, "list_widget_uniform"},
                                                     {Contestant::StringListModel, "string_list_model"}};

void windowSearch(benchmark::State& state, const QString& query) {
  fx->window->input()->setText(query);
  if (!paints(fx->window->results())) state.SkipWithError("the window's list is not on screen");
  for (auto _ : state) {
    fx->window->cmdFTS_Click();
    settle(fx->window->results());
  }
  state.counters["rows"] = fx->window->resultCount();
}

void peerSearch(benchmark::State& state, const QString& query, Contestant c) {
  const std::unique_ptr<Peer> peer = makePeer(c);
  if (!paints(peer->view())) state.SkipWithError("the list is not on screen");
  for (auto _ : state) peer->run(query);
  state.counters["rows"] = double(peer->rows());
}

// Every list shows the window's rows, in its order, for every query.
bool sameRows() {
  bool same = true;
  for (const char* q : kQueries) {
    const QString query = QString::fromLatin1(q);
    fx->window->input()->setText(query);
    fx->window->cmdFTS_Click();
    if (!paints(fx->window->results())) {
      std::fprintf(stderr, "  the window's list is not on screen\n");
      return false;
    }
    const QStringList expected = rowsOf(fx->window->results());
    for (const auto& [c, name] : kPeers) {
      const std::unique_ptr<Peer> peer = makePeer(c);
      peer->run(query);
      if (!paints(peer->view())) {
        std::fprintf(stderr, "  %s is not on screen\n", name);
        return false;
      }
      if (rowsOf(peer->view()) != expected) {
        std::fprintf(stderr, "  \"%s\": %s lists %zu rows, the window %lld, not the same\n", q, name, peer->rows(),
                     static_cast<long long>(expected.size()));
        same = false;
      }
    }
  }
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  {
    Fixture fixture;
    fx = &fixture;
    if (!sameRows()) return 1;
    for (const char* q : kQueries) {
      const QString query = QString::fromLatin1(q);
      const std::string name = std::string("search_window/\"") + q + "\"";
      benchmark::RegisterBenchmark((name + "/window").c_str(), [query](benchmark::State& s) {
        windowSearch(s, query);
      })->Unit(benchmark::kMillisecond);
      for (const auto& [c, peer] : kPeers)
        benchmark::RegisterBenchmark((name + "/" + peer).c_str(), [query, c = c](benchmark::State& s) {
          peerSearch(s, query, c);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    fx = nullptr;
  }
  benchmark::Shutdown();
  return 0;
}
