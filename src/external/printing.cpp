#include "external/printing.h"

#include "platform/logging.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QUrl>

namespace printing {

namespace {
MessageBoxes::Message note(const QString& text, QWidget* owner) {
  return {text, QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::None, owner};
}
// Pictures are shown at 96 pixels to the inch; on paper they keep that size.
constexpr double kScreenDpi = 96.0;
}  // namespace

void print(PrintTarget& target, MessageBoxes& messages, QWidget* owner) {
  Done printed;
  if (target.helpShowing()) {
    printed = target.printHelpPicture();
  } else if (const Result<int> status = target.printCommandStatus(); !status) {
    messages.ask(note(QStringLiteral("The Print command is currently disabled."), owner));
    printed = Done::failed(status.error());
  } else if (*status & kEnabled) {
    printed = target.printPageWithDialog();
  }
  if (!printed) {
    qCWarning(lcPrint) << "printing failed:" << printed.error();
    messages.ask(note(QStringLiteral("Print command Error: ") + printed.error(), owner));
  }
}

Done printPicture(const QPixmap& picture, QPrinter& printer) {
  if (picture.isNull()) return Done::failed(QStringLiteral("There is no picture to print."));
  QPainter painter;
  if (!painter.begin(&printer))
    return Done::failed(QStringLiteral("The printer %1 cannot be used.").arg(printer.printerName()));
  const double scale = printer.resolution() / kScreenDpi;
  painter.scale(scale, scale);
  painter.drawPixmap(0, 0, picture);
  if (!painter.end() || printer.printerState() == QPrinter::Error)
    return Done::failed(QStringLiteral("The print job could not be finished."));
  return {};
}

WindowPrintTarget::WindowPrintTarget(QLabel* help, Browser& browser, QWidget* dialogParent)
    : help_(help), browser_(browser), dialogParent_(dialogParent) {}

bool WindowPrintTarget::helpShowing() const { return help_ && !help_->isHidden(); }

Done WindowPrintTarget::printHelpPicture() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return Done::failed(QStringLiteral("There is no default printer."));
  QPrinter printer(info, QPrinter::HighResolution);
  return printPicture(help_->pixmap(), printer);
}

Result<int> WindowPrintTarget::printCommandStatus() { return browser_.printStatus(); }

Done WindowPrintTarget::printPageWithDialog() {
  QPrinter printer(QPrinter::HighResolution);
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    // No printer here: the dialog offers a PDF file, named after the page.
    QString name = QFileInfo(QUrl(browser_.locationUrl()).path()).completeBaseName();
    if (name.isEmpty()) name = QStringLiteral("Tavrin");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
  }
  QPrintDialog dialog(&printer, dialogParent_);
  if (dialog.exec() != QDialog::Accepted) return {};
  return browser_.print(printer);
}

}  // namespace printing
