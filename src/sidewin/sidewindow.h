#pragma once
// What the search, index and history windows share: they take the main window's place
// on screen, carry its command bar (whose buttons mostly lead back to it), a help
// picture, the same keys, and they never close on their own.
#include "layout/commandwindow.h"

#include <QByteArray>
#include <QWidget>

#include <optional>

class QLabel;
class QLoggingCategory;
class SideWindowHost;
struct SideWindowServices;
class SideWindows;

// The side windows: the three that trigger pages of the course open, and the student's own.
enum class SideWindowKind { Search, Index, History, Course };

class SideWindow : public CommandWindow {
  Q_OBJECT
 public:
  SideWindow(SideWindowKind kind, SideWindowHost& host, SideWindows& windows);
  ~SideWindow() override;

  SideWindowKind kind() const { return kind_; }
  // It is opened (its trigger page has arrived in the main browser, or it has none): load what
  // it shows (the first time, or every time where the window wants that) and show it.
  virtual void openOnArrival(bool firstTime) = 0;

  // Commands of the command bar.
  void cmdCont_Click();
  void cmdPrint_Click();
  void cmdSearch_Click();  // index and history windows
  void cmdIndex_Click();   // search window
  void cmdBack_Click();
  void cmdPrev_Click() override { cmdBack_Click(); }
  void cmdNext_Click() override { cmdBack_Click(); }
  void cmdHist_Click();
  void cmdCalc_Click();
  void cmdSecn_Click() { cmdHelp_Click(); }
  void Form_KeyDown(int& keyCode, int& shift) override;
  // Esc: the main window comes back in this one's place, on the page it shows; no page is
  // loaded.
  void backToMainWindow();
  bool editingAnItem() const;

 protected:
  // Enter, once the bar's keys are done with it. The index and history windows open the
  // selected list item; the search window's text box and list have their own uses for it.
  virtual void enterPressed(int& keyCode) = 0;
  // Reads `name` from the program's folder whole. Nothing when the presence check finds no
  // such file, or it cannot be read; either is logged in `category`, with `without` saying
  // what the window does then.
  std::optional<QByteArray> readProgramFile(const QString& name, const QLoggingCategory& (*category)(),
                                            const char* without);
  // A message in an OK box over this window, titled "Tavrin".
  void tell(const QString& text);
  // Hands over to the main window, loads `page` of the course there and hides this window.
  void openInMainWindow(const QString& page);
  // The same for a whole address.
  void openAddressInMainWindow(const QString& address);
  // Sizes the window's own controls to a client area of `width` x `height` pixels.
  virtual void fitControls(int width, int height) = 0;

  void askToQuit() override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  SideWindowHost& host_;
  SideWindows& windows_;
  const SideWindowServices& services_;

 private:
  void goTo(SideWindowKind target);
  void Form_Resize();

  const SideWindowKind kind_;
};
