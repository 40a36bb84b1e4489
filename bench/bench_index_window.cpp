// The index window at full capacity: one keystroke in the text box, through textChanged and
// txtInput_Change, until the list has laid out and painted its rows. Beside it the straight
// index: a text box whose every change runs the plain filter and refills a list widget one
// item per row (as it comes, and with uniform row sizes). Every list is on screen, so its
// rows are painted. Before anything is timed, the window and both lists must show the same
// rows and the same count for every text.
#include "listbench.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/wordindex.h"
#include "search/frmindex.h"
#include "support/coursedata.h"
#include "support/fakeplatform.h"
#include "support/straightindex.h"
#include "viewer/frmqx.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace {

// Each text is reached by one keystroke: its last letter typed, or for "" the "a" deleted.
const char* const kTexts[] = {"", "a", "re", "res", "resistor", "zz"};
// Typing "resistor" and deleting it again, key by key.
const char kTyped[] = "resistor";

// One reader with the full-size "words.qx" loaded into its index window, shared by all
// runs. It lives inside main, so the windows go before the application does.
struct Fixture {
  QTemporaryDir dir;
  FakePlatform fake{dir.path()};
  std::unique_ptr<frmQX> main;
  frmIndex* window = nullptr;
  search::WordTable words;

  Fixture() {
    const QByteArray wordsQx = coursedata::generate({}).wordsQx;
    QFile f(dir.filePath(QStringLiteral("words.qx")));
    if (!f.open(QIODevice::WriteOnly) || f.write(wordsQx) != wordsQx.size()) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
      std::exit(1);
    }
    f.close();
    words = search::WordTable::read(wordsQx);
    fake.platform.programFolder = dir.path();
    main = std::make_unique<frmQX>(fake.platform, courseSetup(fake));
    main->Form_Load();
    fake.browser->arrive(kCourseBase + QStringLiteral("index.qx"));
    window = static_cast<frmIndex*>(main->sideWindows().window(SideWindowKind::Index));
    window->resize(968, 741);
    QCoreApplication::processEvents();
  }
};
Fixture* fx = nullptr;

// The index done the straight way: every change of the text box filters all the words
// again and refills the list one item per row.
struct StraightIndex {
  explicit StraightIndex(bool uniform) {
    list.setUniformItemSizes(uniform);
    list.resize(fx->window->results()->size());  // the same area to lay out and paint
    showExposed(list);
    QObject::connect(&input, &QLineEdit::textChanged, [this](const QString& text) {
      const std::vector<int> rows = search::straightFilter(fx->words, text);
      list.clear();
      for (int k : rows) list.addItem(cp1252::decode(fx->words.word(k)) + u' ');
      found.setText(search::WordIndex::foundText(qsizetype(rows.size())));
    });
  }
  QLineEdit input;
  QLabel found;
  QListWidget list;
};

// A keystroke in a text box, then the list on screen.
struct Target {
  QLineEdit* input;
  QLabel* found;
  QListView* list;
};

void key(const Target& t, char typed) {
  if (typed)
    QTest::keyClick(t.input, typed);
  else
    QTest::keyClick(t.input, Qt::Key_Backspace);
  settle(t.list);
}

// The text before the keystroke that gives `text`, and that keystroke (0 for Backspace).
std::pair<QString, char> keystrokeTo(const std::string& text) {
  if (text.empty()) return {QStringLiteral("a"), 0};
  return {QString::fromStdString(text.substr(0, text.size() - 1)), text.back()};
}

void reach(const Target& t, const std::string& text) {
  const auto [before, typed] = keystrokeTo(text);
  t.input->setText(before);
  settle(t.list);
  key(t, typed);
}

// One keystroke to `text` per iteration; the text before it is set outside the timing.
void keystroke(benchmark::State& state, const Target& t, const std::string& text) {
  const auto [before, typed] = keystrokeTo(text);
  if (!paints(t.list)) state.SkipWithError("the list is not on screen");
  for (auto _ : state) {
    state.PauseTiming();
    t.input->setText(before);
    settle(t.list);
    state.ResumeTiming();
    key(t, typed);
  }
  state.counters["rows"] = t.list->model()->rowCount();
}

// Round "resistor" and back, one keystroke per iteration.
void typing(benchmark::State& state, const Target& t) {
  t.input->clear();
  if (!paints(t.list)) state.SkipWithError("the list is not on screen");
  const int round = 2 * int(sizeof kTyped - 1);
  int n = 0;
  for (auto _ : state) {
    key(t, n < round / 2 ? kTyped[n] : char(0));
    n = (n + 1) % round;
  }
}

Target windowTarget() { return {fx->window->input(), fx->window->found(), fx->window->results()}; }
Target straightTarget(StraightIndex& s) { return {&s.input, &s.found, &s.list}; }

// The window and both straight lists show the same rows and count for every text reached,
// one keystroke at a time or by the timed keystroke.
bool sameRows() {
  StraightIndex plain(false), uniform(true);
  const Target targets[] = {windowTarget(), straightTarget(plain), straightTarget(uniform)};
  for (const Target& t : targets)
    if (!paints(t.list)) {
      std::fprintf(stderr, "  a list is not on screen\n");
      return false;
    }
  bool same = true;
  auto compare = [&](const std::string& text) {
    const Target& w = targets[0];
    const QStringList expected = rowsOf(w.list);
    for (const Target& t : std::span(targets).subspan(1))
      if (t.input->text() != w.input->text() || rowsOf(t.list) != expected || t.found->text() != w.found->text()) {
        std::fprintf(stderr, "  \"%s\": the straight index lists %d rows (%s), the window %lld (%s)\n", text.c_str(),
                     t.list->model()->rowCount(), qPrintable(t.found->text()), static_cast<long long>(expected.size()),
                     qPrintable(w.found->text()));
        same = false;
      }
  };
  for (const char* text : kTexts) {
    for (const Target& t : targets) reach(t, text);
    compare(text);
  }
  for (const Target& t : targets) {
    t.input->clear();
    settle(t.list);
  }
  const int round = 2 * int(sizeof kTyped - 1);
  for (int n = 0; n < round; ++n) {
    for (const Target& t : targets) key(t, n < round / 2 ? kTyped[n] : char(0));
    compare(targets[0].input->text().toStdString());
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
    std::fprintf(stderr, "words.qx: %d lines\n", fx->words.status().lines);
    if (!sameRows()) return 1;
    const std::pair<bool, const char*> straight[] = {{false, "list_widget"}, {true, "list_widget_uniform"}};
    for (const char* t : kTexts) {
      const std::string text = t;
      const std::string name = "index_window/key/\"" + text + "\"";
      benchmark::RegisterBenchmark((name + "/window").c_str(), [text](benchmark::State& s) {
        keystroke(s, windowTarget(), text);
      })->Unit(benchmark::kMillisecond);
      for (const auto& [uniform, peer] : straight)
        benchmark::RegisterBenchmark((name + "/" + peer).c_str(), [text, uniform = uniform](benchmark::State& s) {
          StraightIndex index(uniform);
          keystroke(s, straightTarget(index), text);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("index_window/typing/window", [](benchmark::State& s) {
      typing(s, windowTarget());
    })->Unit(benchmark::kMillisecond);
    for (const auto& [uniform, peer] : straight)
      benchmark::RegisterBenchmark((std::string("index_window/typing/") + peer).c_str(), [uniform = uniform](
                                                                                             benchmark::State& s) {
        StraightIndex index(uniform);
        typing(s, straightTarget(index));
      })->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    fx = nullptr;
  }
  benchmark::Shutdown();
  return 0;
}
