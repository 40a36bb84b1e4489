#pragma once
// Print: the help picture when it is showing, otherwise the page in the main browser with
// the print dialog. The command's course through its steps and messages is kept apart
// from the printers and dialogs it drives.
#include "platform/messageboxes.h"

#include <QString>

#include <optional>

class QLabel;
class QPixmap;
class QPrinter;
class QWebEngineView;
class QWidget;

namespace printing {

// Status flags of the browser's print command.
inline constexpr int kSupported = 1;
inline constexpr int kEnabled = 2;

// What Print needs of the window it runs in. Every step answers with the description of
// what went wrong, or nothing when it went well.
class PrintTarget {
 public:
  virtual ~PrintTarget() = default;
  virtual bool helpShowing() const = 0;
  // The help picture on the default printer, at the page's top-left corner, job ended.
  virtual std::optional<QString> printHelpPicture() = 0;
  struct Status {
    std::optional<int> flags;  // nothing when the browser could not tell
    QString error;             // why it could not
  };
  virtual Status printCommandStatus() = 0;
  // The page with the print dialog; the user's cancelling it is no error.
  virtual std::optional<QString> printPageWithDialog() = 0;
};

// cmdPrint_Click: a failing step is passed over and the next one runs; the last failure is
// reported at the end.
void print(PrintTarget& target, MessageBoxes& messages, QWidget* owner = nullptr);

// The steps on real printers and the real browser.
// Draws `picture` at the top-left corner of the printable area, at its size on screen, and
// ends the job.
std::optional<QString> printPicture(const QPixmap& picture, QPrinter& printer);
// Prints what `view` shows and waits, handling events, until the printing has finished.
std::optional<QString> printPage(QWebEngineView& view, QPrinter& printer);
PrintTarget::Status pageStatus(const QWebEngineView* view);

// The main window's help picture and browser view. Where no printer is installed, the
// dialog still prints to a PDF file.
class WindowPrintTarget : public PrintTarget {
 public:
  // `view` may be null (a browser that is not a web view cannot report its print command).
  WindowPrintTarget(QLabel* help, QWebEngineView* view, QWidget* dialogParent);

  bool helpShowing() const override;
  std::optional<QString> printHelpPicture() override;
  Status printCommandStatus() override;
  std::optional<QString> printPageWithDialog() override;

 private:
  QLabel* help_;
  QWebEngineView* view_;
  QWidget* dialogParent_;
};

}  // namespace printing
