// A stand-in simulator for the tests: a peer program that shows a window titled like one
// of the simulators and reads and writes the shared blocks the way they do.
//
//   tavrin_standin ampvale|trivex [--prefix P] [--out FILE] [--title TEXT]
//                  [--request TEXT [--pad blank|nul]] [--once]
//
// It opens the blocks (with the test's name prefix), writes the request into "QXwav" when
// asked, and reports what it saw, one line each: "message <text>" for a failure message,
// "name=<path>", "prev=<n>", "end=<n>". With --once it then lets go of the blocks and
// ends. Otherwise it shows its window, reports "shown <window id>" and "active" /
// "inactive" as it gains and loses activation, and reads commands from its standard
// input: "report" reports the blocks again, "quit" lets go of the blocks and ends. Without
// "quit" it runs until it is killed.
#include "logic/blocks.h"
#include "posix/posixblocks.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <unistd.h>

namespace {

class Report {
 public:
  explicit Report(const QString& path) {
    if (path.isEmpty() ? !file_.open(stdout, QIODevice::WriteOnly)
                       : !(file_.setFileName(path), file_.open(QIODevice::Append)))
      qFatal("cannot write the report");
  }
  void line(const QString& text) {
    file_.write(text.toUtf8() + '\n');
    file_.flush();
  }

 private:
  QFile file_;
};

void reportBlocks(PosixBlocks& blocks, Report& report) {
  auto byte = [&](blocks::Block b) {
    const auto bytes = blocks.read(b);
    return bytes ? QString::number(quint8(bytes->at(0))) : QStringLiteral("none");
  };
  const auto name = blocks.read(blocks::Block::AmpvaleName);
  report.line(QStringLiteral("name=") + (name ? blocks::decodeName(*name) : QStringLiteral("none")));
  report.line(QStringLiteral("prev=") + byte(blocks::Block::AmpvalePrev));
  report.line(QStringLiteral("end=") + byte(blocks::Block::AmpvaleEnd));
}

class SimulatorWindow : public QWidget {
 public:
  explicit SimulatorWindow(Report& report) : report_(report) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Stand-in simulator"), this));
    resize(320, 200);
  }

 protected:
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::ActivationChange)
      report_.line(isActiveWindow() ? QStringLiteral("active") : QStringLiteral("inactive"));
    QWidget::changeEvent(event);
  }

 private:
  Report& report_;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addPositionalArgument("kind", "ampvale or trivex");
  parser.addOption({"prefix", "name prefix of the blocks", "prefix"});
  parser.addOption({"out", "file the report is appended to (standard output when not given)", "file"});
  parser.addOption({"title", "window title instead of the simulator's", "text"});
  parser.addOption({"request", "request written into QXwav", "text"});
  parser.addOption({"pad", "what fills QXwav after the request: blank or nul", "padding", "blank"});
  parser.addOption({"once", "report and end without a window"});
  parser.process(app);

  const QString kind = parser.positionalArguments().value(0);
  if (kind != u"ampvale" && kind != u"trivex") parser.showHelp(2);
  // The text the reader's launcher looks for; Qt names hidden helper windows after the
  // application, so they carry it too and the finder must pass them by.
  const QString searched = kind == u"ampvale" ? QStringLiteral("Ampvale") : QStringLiteral("Trivex -");
  QApplication::setApplicationName(searched);

  Report report(parser.value("out"));
  PosixBlocks blocks(parser.value("prefix"));
  for (const QString& message : blocks.open()) report.line(QStringLiteral("message ") + message);
  if (parser.isSet("request")) {
    const char16_t pad = parser.value("pad") == u"nul" ? u'\0' : u' ';
    blocks.write(blocks::Block::QXwav, blocks::encodeRequest(parser.value("request"), pad));
    blocks.flush(blocks::Block::QXwav, blocks::size(blocks::Block::QXwav));
  }
  reportBlocks(blocks, report);
  if (parser.isSet("once")) {
    blocks.close();
    return 0;
  }

  SimulatorWindow window(report);
  window.setWindowTitle(parser.isSet("title") ? parser.value("title") : searched + QStringLiteral(" - exercise"));
  window.show();
  QTimer::singleShot(0, &window, [&] { report.line(QStringLiteral("shown %1").arg(window.winId())); });

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QByteArray pending;
  QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      input.setEnabled(false);  // run on until killed
      return;
    }
    pending.append(buffer, n);
    for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
      const QByteArray command = pending.left(end).trimmed();
      if (command == "report") reportBlocks(blocks, report);
      if (command == "quit") QApplication::quit();
    }
  });
  const int status = app.exec();
  blocks.close();
  return status;
}
