// The least a Qt WebEngine program does to show a course page: a maximised view on an
// off-the-record profile (as the reader's browser has) that loads the address given as
// its argument. It says "loaded <url>" on stderr when that page has finished loading,
// as the reader does with QT_LOGGING_RULES="tavrin.bench.debug=true"; the start-up
// benchmark times both programs from their start to that line.
//
//     bareview [--load-first] URL
//
// By default the window comes up maximised and then the page is asked for, the reader's
// order. The view's page is made ready before that: Qt 6.4 gives the view its drawing
// surface only when the page is first used, and a window already on screen is then made
// again, which loses its maximised state (or leaves it unmapped) and draws it twice.
// --load-first asks for the page first and then shows the window.
#include <QApplication>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const bool loadFirst = argc == 3 && std::strcmp(argv[1], "--load-first") == 0;
  if (argc != 2 && !loadFirst) {
    std::fprintf(stderr, "usage: bareview [--load-first] URL\n");
    return 2;
  }
  const QUrl url(QString::fromLocal8Bit(argv[argc - 1]));
  QWebEngineProfile profile;  // no storage name: off the record
  QWebEngineView view;        // goes first, and its page with it
  view.setPage(new QWebEnginePage(&profile, &view));
  bool reported = false;
  QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) {
    if (!ok || reported) return;
    reported = true;
    std::fprintf(stderr, "loaded %s\n", qPrintable(view.url().toString()));
    std::fflush(stderr);
  });
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
