#pragma once
// Print: the help picture when it is showing, otherwise the page in the main browser with
// the print dialog. The command's course through its steps and messages is kept apart
// from the printers and dialogs it drives.
#include "platform/browser.h"
#include "platform/messageboxes.h"

#include <QString>

class QLabel;
class QPixmap;
class QPrinter;
class QWidget;

namespace printing {

// Status flags of the browser's print command.
inline constexpr int kSupported = Browser::kPrintSupported;
inline constexpr int kEnabled = Browser::kPrintEnabled;

// What Print needs of the window it runs in. Every step answers with the description of
// what went wrong when it did not go well.
class PrintTarget {
 public:
  virtual ~PrintTarget() = default;
  virtual bool helpShowing() const = 0;
  // The help picture on the default printer, at the page's top-left corner, job ended.
  virtual Done printHelpPicture() = 0;
  // The print command's flags (kSupported, kEnabled), or why they cannot be told.
  virtual Result<int> printCommandStatus() = 0;
  // The page with the print dialog; the user's cancelling it is no error.
  virtual Done printPageWithDialog() = 0;
};

// cmdPrint_Click: a failing step is passed over and the next one runs; the last failure is
// reported at the end.
void print(PrintTarget& target, MessageBoxes& messages, QWidget* owner = nullptr);

// Draws `picture` at the top-left corner of the printable area, at its size on screen, and
// ends the job.
Done printPicture(const QPixmap& picture, QPrinter& printer);

// The main window's help picture and browser. Where no printer is installed, the dialog
// still prints to a PDF file.
class WindowPrintTarget : public PrintTarget {
 public:
  WindowPrintTarget(QLabel* help, Browser& browser, QWidget* dialogParent);

  bool helpShowing() const override;
  Done printHelpPicture() override;
  Result<int> printCommandStatus() override;
  Done printPageWithDialog() override;

 private:
  QLabel* help_;
  Browser& browser_;
  QWidget* dialogParent_;
};

}  // namespace printing
