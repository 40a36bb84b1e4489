#include "sidewin/sidewindow.h"

#include "layout/design.h"
#include "layout/helpimage.h"
#include "layout/keypreview.h"
#include "logic/datafiles.h"
#include "logic/pagenames.h"
#include "logic/presence.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "sidewin/handover.h"
#include "sidewin/host.h"
#include "sidewin/sidewindows.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QLoggingCategory>

namespace {

const char* captionOf(SideWindowKind kind) {
  switch (kind) {
    case SideWindowKind::Search: return "Tavrin - Search";
    case SideWindowKind::Index: return "Tavrin - Index";
    case SideWindowKind::History: return "Tavrin - History";
    case SideWindowKind::Course: return "Tavrin - My course";
  }
  return "Tavrin";
}

}  // namespace

SideWindow::SideWindow(SideWindowKind kind, SideWindowHost& host, SideWindows& windows)
    : CommandWindow(kind == SideWindowKind::Search ? CommandBar::Slot3::Index : CommandBar::Slot3::Search,
                    design::kSideHelp, sideHelp()),
      host_(host),
      windows_(windows),
      services_(windows.services()),
      kind_(kind) {
  setWindowTitle(QString::fromLatin1(captionOf(kind)));
  resize(design::kClientSize);
  move(design::kWindowPos);
  setAutoFillBackground(true);
  // The design's grey ground with black on it, whatever the desktop's theme: a dark theme's
  // light text would hardly show on it.
  QPalette grey = palette();
  grey.setColor(QPalette::Window, design::kSideBackground);
  grey.setColor(QPalette::WindowText, Qt::black);
  setPalette(grey);

  connectCommandBar(bar_, this,
                    kind == SideWindowKind::Search ? &SideWindow::cmdIndex_Click : &SideWindow::cmdSearch_Click);
}

SideWindow::~SideWindow() = default;

// ---- Commands -----------------------------------------------------------------------

void SideWindow::cmdCont_Click() {
  picHelp->hide();
  handOver(*this, host_.mainWindow(), services_.waitOneSecond);
  host_.navigateWeb1(services_.fileLocn + pages::startPage(host_.screenClass()));
}

void SideWindow::cmdPrint_Click() { host_.printFrom(picHelp, this); }

void SideWindow::cmdCalc_Click() {
  picHelp->hide();
  host_.startCalculator(this);
}

void SideWindow::goTo(SideWindowKind target) {
  picHelp->hide();
  windows_.openFrom(*this, target);
}

void SideWindow::cmdSearch_Click() { goTo(SideWindowKind::Search); }
void SideWindow::cmdIndex_Click() { goTo(SideWindowKind::Index); }

void SideWindow::cmdHist_Click() {
  // In the history window itself the button shows the help instead.
  if (kind_ == SideWindowKind::History)
    cmdHelp_Click();
  else
    goTo(SideWindowKind::History);
}

void SideWindow::cmdBack_Click() {
  picHelp->hide();
  host_.goBackWeb1();
}

std::optional<QByteArray> SideWindow::readProgramFile(const QString& name, const QLoggingCategory& (*category)(),
                                                      const char* without) {
  const QString path = services_.programFolder + u'/' + name;
  if (!services_.fileExists(path, this)) {
    qCWarning(category) << "no" << path << ":" << without;
    return std::nullopt;
  }
  Result<QByteArray> bytes = search::readWholeFile(services_.files, path);
  if (!bytes) qCWarning(category) << "cannot read" << path << ":" << bytes.error() << "-" << without;
  return std::move(bytes).take();
}

void SideWindow::tell(const QString& text) {
  services_.messages.ask({text, QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::None, this});
}

void SideWindow::openInMainWindow(const QString& page) { openAddressInMainWindow(services_.fileLocn + page); }

void SideWindow::openAddressInMainWindow(const QString& address) {
  handOver(*this, host_.mainWindow(), services_.waitOneSecond);
  host_.navigateWeb1(address);
  hide();
}

// ---- Keys ---------------------------------------------------------------------------

void SideWindow::Form_KeyDown(int& key, int& shift) {
  const bool helpShown = picHelp->isVisible();
  takeSharedKeys(key, shift);
  if (host_.returnWindowKey(key, shift)) {
    key = 0;
  } else if (key == keys::kB && shift == keys::kCtrl && kind_ != SideWindowKind::Course) {
    key = 0;
    picHelp->hide();
    windows_.openFrom(*this, SideWindowKind::Course);
  } else if (key == keys::kEnter) {
    enterPressed(key);
  } else if (key == keys::kEscape && shift == 0 && !helpShown && !editingAnItem()) {
    // Esc with no help picture or edit to put away goes back to the page on show.
    key = 0;
    backToMainWindow();
  }
}

// A list's item being edited (a bookmark's note) has the keyboard in an editor on the list's
// viewport; Esc there puts the edit away.
bool SideWindow::editingAnItem() const {
  QWidget* focus = focusWidget();
  QWidget* viewport = focus ? focus->parentWidget() : nullptr;
  auto* list = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
  return list && list->viewport() == viewport;
}

void SideWindow::backToMainWindow() {
  QWidget& main = host_.mainWindow();
  handOver(*this, main, services_.waitOneSecond);
  main.show();
  main.raise();
  main.activateWindow();
  hide();
}

void SideWindow::askToQuit() { host_.AskQuit(this); }

// ---- Window -------------------------------------------------------------------------

void SideWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void SideWindow::Form_Resize() {
  rescueIfOffscreen();
  fitControls(width(), height());
}

void SideWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) windows_.activated(*this);
}

void SideWindow::closeEvent(QCloseEvent* event) {
  // The window never closes by itself: closing it means quitting the course.
  event->ignore();
  host_.AskQuit(this);
}
