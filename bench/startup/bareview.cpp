// The least a Qt WebEngine program does to show a course page: a maximised view on an
// off-the-record profile (as the reader's browser has) that loads the address given as
// its one argument. It says "loaded <url>" on stderr when that page has finished loading,
// as the reader does with QT_LOGGING_RULES="tavrin.browser.debug=true"; the start-up
// benchmark times both programs from their start to that line.
#include <QApplication>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: bareview URL\n");
    return 2;
  }
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
  view.showMaximized();
  view.load(QUrl(QString::fromLocal8Bit(argv[1])));
  return app.exec();
}
