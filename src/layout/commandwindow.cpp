#include "layout/commandwindow.h"

#include "layout/design.h"
#include "layout/keypreview.h"
#include "layout/picturebox.h"

CommandWindow::CommandWindow(CommandBar::Slot3 slot3, QRect helpArea, std::function<QPixmap()> drawHelp)
    : bar_(this, slot3), drawHelp_(std::move(drawHelp)) {
  auto* help = new PictureBox(this);
  help->onClick = [this] { picHelp_Click(); };
  picHelp = help;
  picHelp->setObjectName(QStringLiteral("picHelp"));
  picHelp->setAccessibleName(QStringLiteral("Help"));
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
