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
  std::optional<QString> error;
  if (target.helpShowing()) {
    error = target.printHelpPicture();
  } else if (const PrintTarget::Status status = target.printCommandStatus(); !status.flags) {
    messages.ask(note(QStringLiteral("The Print command is currently disabled."), owner));
    error = status.error;
  } else if (*status.flags & kEnabled) {
    error = target.printPageWithDialog();
  }
  if (error) {
    qCWarning(lcPrint) << "printing failed:" << *error;
    messages.ask(note(QStringLiteral("Print command Error: ") + *error, owner));
  }
}

std::optional<QString> printPicture(const QPixmap& picture, QPrinter& printer) {
  if (picture.isNull()) return QStringLiteral("There is no picture to print.");
  QPainter painter;
  if (!painter.begin(&printer)) return QStringLiteral("The printer %1 cannot be used.").arg(printer.printerName());
  const double scale = printer.resolution() / kScreenDpi;
  painter.scale(scale, scale);
  painter.drawPixmap(0, 0, picture);
  if (!painter.end() || printer.printerState() == QPrinter::Error)
    return QStringLiteral("The print job could not be finished.");
  return std::nullopt;
}

WindowPrintTarget::WindowPrintTarget(QLabel* help, Browser& browser, QWidget* dialogParent)
    : help_(help), browser_(browser), dialogParent_(dialogParent) {}

bool WindowPrintTarget::helpShowing() const { return help_ && !help_->isHidden(); }

std::optional<QString> WindowPrintTarget::printHelpPicture() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return QStringLiteral("There is no default printer.");
  QPrinter printer(info, QPrinter::HighResolution);
  return printPicture(help_->pixmap(), printer);
}

PrintTarget::Status WindowPrintTarget::printCommandStatus() { return browser_.printStatus(); }

std::optional<QString> WindowPrintTarget::printPageWithDialog() {
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
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return browser_.print(printer);
}

}  // namespace printing
