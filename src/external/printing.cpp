#include "external/printing.h"

#include "platform/logging.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QWebEnginePage>
#include <QWebEngineView>

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

std::optional<QString> printPage(QWebEngineView& view, QPrinter& printer) {
  QPointer<QWebEngineView> watched(&view);
  QEventLoop loop;
  bool printed = false;
  const auto finished = QObject::connect(&view, &QWebEngineView::printFinished, &loop, [&](bool success) {
    printed = success;
    loop.quit();
  });
  QObject::connect(&view, &QObject::destroyed, &loop, &QEventLoop::quit);
  view.print(&printer);
  loop.exec();
  if (watched) QObject::disconnect(finished);
  if (!printed) return QStringLiteral("The page could not be printed.");
  return std::nullopt;
}

PrintTarget::Status pageStatus(const QWebEngineView* view) {
  if (!view) return {std::nullopt, QStringLiteral("The browser cannot print its pages.")};
  // While a page loads there is nothing whole to print yet; the command is there, but off.
  if (view->page()->isLoading()) return {kSupported, {}};
  if (view->url().isEmpty()) return {std::nullopt, QStringLiteral("The browser holds no page.")};
  return {kSupported | kEnabled, {}};
}

WindowPrintTarget::WindowPrintTarget(QLabel* help, QWebEngineView* view, QWidget* dialogParent)
    : help_(help), view_(view), dialogParent_(dialogParent) {}

bool WindowPrintTarget::helpShowing() const { return help_ && !help_->isHidden(); }

std::optional<QString> WindowPrintTarget::printHelpPicture() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return QStringLiteral("There is no default printer.");
  QPrinter printer(info, QPrinter::HighResolution);
  return printPicture(help_->pixmap(), printer);
}

PrintTarget::Status WindowPrintTarget::printCommandStatus() { return pageStatus(view_); }

std::optional<QString> WindowPrintTarget::printPageWithDialog() {
  if (!view_) return QStringLiteral("The browser cannot print its pages.");
  QPrinter printer(QPrinter::HighResolution);
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    // No printer here: the dialog offers a PDF file, named after the page.
    QString name = QFileInfo(view_->url().path()).completeBaseName();
    if (name.isEmpty()) name = QStringLiteral("Tavrin");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
  }
  QPrintDialog dialog(&printer, dialogParent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return printPage(*view_, printer);
}

}  // namespace printing
