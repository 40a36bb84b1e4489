// tavrin-index: makes "files.qx" and "words.qx" from a folder of course pages.
// Exit status: 0 done, 1 refused or failed (nothing written), 2 a wrong command line.
#include "indexer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

#include <unistd.h>

namespace {

void printLine(std::FILE* to, const QString& text) {
  std::fputs(qUtf8Printable(text), to);
  std::fputc('\n', to);
}

// "pages 1234/12400" on one terminal line, redrawn when the percentage moves.
class ProgressLine {
 public:
  void show(int done, int total) {
    const int percent = int(qint64(done) * 100 / total);
    if (percent == percent_ && done != total) return;
    percent_ = percent;
    std::fprintf(stderr, "\rtavrin-index: reading pages %d/%d", done, total);
    std::fflush(stderr);
    shown_ = true;
  }
  void clear() {
    if (shown_) std::fputs("\r\033[K", stderr);
    shown_ = false;
  }

 private:
  int percent_ = -1;
  bool shown_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tavrin-index"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Makes the search data of a Tavrin course, files.qx and words.qx, from the folder of its pages."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help, with what counts as a page and as a word."));
  const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                   QStringLiteral("Show the version."));
  const QCommandLineOption out({QStringLiteral("o"), QStringLiteral("out")},
                               QStringLiteral("Write files.qx and words.qx into <folder> (made when missing; "
                                              "default: the current folder)."),
                               QStringLiteral("folder"), QStringLiteral("."));
  parser.addOption(help);
  parser.addOption(version);
  parser.addOption(out);
  parser.addPositionalArgument(QStringLiteral("pages"),
                               QStringLiteral("The folder of the course pages (the one the course base "
                                              "location ends in, .../qx_cbt/qx2/)."));
  if (!parser.parse(app.arguments())) {
    printLine(stderr, QStringLiteral("tavrin-index: %1\nTry 'tavrin-index --help'.").arg(parser.errorText()));
    return 2;
  }
  if (parser.isSet(help)) {
    printLine(stdout, parser.helpText() + u'\n' + indexer::rulesText() +
                          QStringLiteral("\nExit status: 0 when both files are written, 1 when refused or failed, "
                                         "2 for a wrong command line."));
    return 0;
  }
  if (parser.isSet(version)) {
    printLine(stdout, QStringLiteral("tavrin-index %1").arg(QCoreApplication::applicationVersion()));
    return 0;
  }
  if (parser.positionalArguments().size() != 1) {
    printLine(stderr, QStringLiteral("tavrin-index: give one folder of pages\nTry 'tavrin-index --help'."));
    return 2;
  }
  const QString pages = parser.positionalArguments().front();
  const QString target = parser.value(out);

  ProgressLine progress;
  indexer::Progress report;
  if (isatty(STDERR_FILENO)) report = [&progress](int done, int total) { progress.show(done, total); };
  const Result<indexer::Output> outcome = indexer::indexFolder(pages, report);
  progress.clear();
  if (!outcome) {
    for (const QString& line : outcome.error().split(u'\n'))
      printLine(stderr, QStringLiteral("tavrin-index: %1").arg(line));
    return 1;
  }
  if (const auto error = indexer::writeOutput(*outcome, target)) {
    printLine(stderr, QStringLiteral("tavrin-index: %1").arg(*error));
    return 1;
  }
  printLine(stdout, QStringLiteral("tavrin-index: %1 pages in files.qx, %2 words in words.qx, in %3")
                        .arg(outcome->pages)
                        .arg(outcome->words)
                        .arg(QDir::toNativeSeparators(target)));
  return 0;
}
