#include "layout/commandwindow.h"

#include "layout/design.h"
#include "layout/keypreview.h"
#include "layout/picturebox.h"

#include <QAccessibleWidget>

namespace {

// A top-level QWidget reads as a "filler" to a screen reader; these windows are the
// program's main windows, as a QMainWindow would be.
QAccessibleInterface* readAsWindow(const QString&, QObject* object) {
  auto* window = qobject_cast<CommandWindow*>(object);
  return window && window->isWindow() ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

}  // namespace

CommandWindow::CommandWindow(CommandBar::Slot3 slot3, QRect helpArea, HelpPicture help)
    : bar_(this, slot3), drawHelp_(std::move(help.draw)) {
  static const bool readAsWindows = (QAccessible::installFactory(readAsWindow), true);
  Q_UNUSED(readAsWindows);
  auto* picture = new PictureBox(this);
  picture->onClick = [this] { picHelp_Click(); };
  picHelp = picture;
  picHelp->setObjectName(QStringLiteral("picHelp"));
  picHelp->setAccessibleName(QStringLiteral("Help"));
  picHelp->setAccessibleDescription(help.text);
  picHelp->setGeometry(helpArea);
  picHelp->hide();
  KeyPreview::attach(
      this, [this](int& key, int& shift) { Form_KeyDown(key, shift); }, [this](int& ch) { Form_KeyPress(ch); });
}

CommandWindow::~CommandWindow() = default;

void CommandWindow::cmdHelp_Click() {
  if (picHelp->isVisible()) {
    picHelp->hide();
    return;
  }
  if (picHelp->pixmap().isNull()) picHelp->setPixmap(drawHelp_());
  picHelp->show();
  picHelp->raise();
}

void CommandWindow::picHelp_Click() { picHelp->hide(); }

void CommandWindow::Form_KeyPress(int& character) {
  if (character == keys::kEscape) {
    picHelp->hide();
    character = 0;
  }
}

void CommandWindow::takeSharedKeys(int& key, int shift) {
  picHelp->hide();
  if (!(shift & keys::kAlt)) return;
  if (key == keys::kQ) {
    key = 0;
    askToQuit();
  } else if (key == keys::kComma) {
    key = 0;
    cmdPrev_Click();
  } else if (key == keys::kPeriod) {
    key = 0;
    cmdNext_Click();
  }
}

void CommandWindow::rescueIfOffscreen() {
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) && x() < 0)
    move(design::kOffscreenRescue);
}
