// The least a Qt WebEngine program does to show a course page: a maximised view on an
// off-the-record profile (as the reader's browser has) that loads the address given as
// its argument. It says "loaded <url>" on stderr when that page has finished loading,
// as the reader does with QT_LOGGING_RULES="tavrin.bench.debug=true"; the start-up
// benchmark times both programs from their start to that line.
//
//     bareview [--load-first] URL
//     bareview --turns FILE URL
//
// By default the window comes up maximised and then the page is asked for, the reader's
// order. The view's page is made ready before that: Qt 6.4 gives the view its drawing
// surface only when the page is first used, and a window already on screen is then made
// again, which loses its maximised state (or leaves it unmapped) and draws it twice.
// --load-first asks for the page first and then shows the window.
//
// --turns turns pages as the reader does on Page Down, for the page-turn benchmark
// (bench/pageturn): FILE holds one line per turn with the addresses that turn loads,
// separated by blanks. Each Page Down that reaches the window takes the next line and
// loads its first address; each further address is asked for once the one before it has
// finished loading (as the reader goes on from a module's page to its variant for the
// screen). Every load that finishes says "loaded <url>".
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QStringList>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>

namespace {
// Page Down, seen before the page view would scroll with it.
class PageDown : public QObject {
 public:
  explicit PageDown(std::function<void()> turn) : turn_(std::move(turn)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_PageDown) return false;
    // A key the focused widget ignores travels on to its parents; turn once, as the reader does.
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* focus = widget ? widget->window()->focusWidget() : nullptr;
    if (!widget || (focus ? widget != focus : widget != widget->window())) return false;
    turn_();
    return true;
  }

 private:
  std::function<void()> turn_;
};
}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const bool loadFirst = argc == 3 && std::strcmp(argv[1], "--load-first") == 0;
  const bool turning = argc == 4 && std::strcmp(argv[1], "--turns") == 0;
  if (argc != 2 && !loadFirst && !turning) {
    std::fprintf(stderr, "usage: bareview [--load-first] URL\n       bareview --turns FILE URL\n");
    return 2;
  }
  QList<QStringList> turns;
  if (turning) {
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "bareview: cannot read %s\n", argv[2]);
      return 2;
    }
    for (const QByteArray& line : file.readAll().split('\n'))
      if (!line.trimmed().isEmpty()) turns.append(QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts));
  }
  const QUrl url(QString::fromLocal8Bit(argv[argc - 1]));
  QWebEngineProfile profile;  // no storage name: off the record
  QWebEngineView view;        // goes first, and its page with it
  view.setPage(new QWebEnginePage(&profile, &view));
  bool reported = false;
  QStringList pending;  // the addresses of the turn still to load
  QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) {
    if (turning) {
      std::fprintf(stderr, "loaded %s\n", qPrintable(view.url().toString()));
      std::fflush(stderr);
      if (!pending.isEmpty()) view.load(QUrl(pending.takeFirst()));
      return;
    }
    if (!ok || reported) return;
    reported = true;
    std::fprintf(stderr, "loaded %s\n", qPrintable(view.url().toString()));
    std::fflush(stderr);
  });
  qsizetype next = 0;
  PageDown pageDown([&] {
    if (next >= turns.size()) return;
    pending = turns[next++];
    view.load(QUrl(pending.takeFirst()));
  });
  if (turning) app.installEventFilter(&pageDown);
  if (loadFirst) {
    view.load(url);
    view.showMaximized();
  } else {
    view.history()->count();  // makes the page ready, with no navigation
    view.showMaximized();
    view.load(url);
  }
  return app.exec();
}
