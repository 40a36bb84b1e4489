#include "external/launchercopy.h"

#include "external/frmpopup.h"
#include "logic/launcher.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"

#include <QTimer>

namespace {
template <typename... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
}  // namespace

LauncherCopy::LauncherCopy(LauncherHost host) : host_(std::move(host)), watch_(host_.watchTickLimit) {}
LauncherCopy::~LauncherCopy() = default;

bool LauncherCopy::run(const QString& commandLine) {
  std::visit(Overloaded{
                 [this](launcher::NoMode) {
                   qCInfo(lcLauncher) << "nothing to do for this command line; this copy ends";
                   EndQX();
                 },
                 [this](launcher::BringForward) { bringReaderForward(); },
                 [this](const launcher::Picture& p) { showPicture(p); },
                 [this](const launcher::PracticeTest& t) { startPracticeTest(t); },
                 [this](const launcher::Exercise& e) { handOverExercise(e); },
             },
             launcher::modeOf(commandLine, {host_.platform.programFolder, host_.setup.ProgramFilesFolder,
                                            host_.setup.ApplicationData}));
  return frmPopup_ || (watchTimer_ && watchTimer_->isActive());
}

void LauncherCopy::bringReaderForward() {
  // Nothing of this copy may answer to the reader's title.
  host_.platform.setApplicationTitle(QString::fromUtf16(launcher::kEndingTitle));
  if (!host_.platform.activateWindow(QString::fromUtf16(launcher::kReaderTitle)))
    qCWarning(lcLauncher) << "no reader window to bring forward";
  EndQX();
}

void LauncherCopy::showPicture(const launcher::Picture& picture) {
  host_.needWindows();
  frmPopup_ = std::make_unique<frmPopup>(host_.platform, [this] { EndQX(); });
  frmPopup_->showPicture(host_.setup.FileLocn + picture.PopFile, picture.width, picture.height);
}

void LauncherCopy::startPracticeTest(const launcher::PracticeTest& test) {
  if (test.program.isEmpty())
    qCWarning(lcLauncher) << "practice test" << test.name
                          << "refused: it needs a name, and one that does not lead out of the program's folder";
  else if (!host_.platform.startProgram(test.program))
    qCWarning(lcLauncher) << "cannot start the practice test" << test.program;
  EndQX();
}

void LauncherCopy::handOverExercise(const launcher::Exercise& exercise) {
  exercise_ = exercise;
  switch (launcher::passToSimulator(*host_.platform.blocks, exercise, host_.platform.activateWindow)) {
    case launcher::Passed::Found: return EndQX();
    case launcher::Passed::Refused:
      qCWarning(lcLauncher) << "exercise path too long for the blocks:" << exercise.path;
      host_.needWindows();
      host_.platform.messages->ask(
          {launcher::refusedMessage(exercise), QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok});
      return EndQX();
    case launcher::Passed::Start: break;
  }
  // The watch runs in the event loop, and its give-up message is a window.
  host_.needWindows();
  if (!host_.platform.startProgram(exercise.program))
    qCWarning(lcLauncher) << "cannot start" << exercise.program << "- watching for its window all the same";
  watchTimer_ = new QTimer(this);  // TimerTri or TimerAmp
  watchTimer_->setObjectName(exercise.simulator == launcher::Simulator::Trivex ? QStringLiteral("TimerTri")
                                                                               : QStringLiteral("TimerAmp"));
  watchTimer_->setInterval(1000);
  connect(watchTimer_, &QTimer::timeout, this, &LauncherCopy::watchTick);
  watchTimer_->start();
}

void LauncherCopy::watchTick() {
  const auto outcome = watch_.tick([this] {
    if (!host_.platform.activateWindow(exercise_.windowTitle)) return false;
    host_.platform.maximizeWindow(exercise_.windowTitle);  // it was started to fill the screen
    return true;
  });
  if (outcome == launcher::ExerciseWatch::Outcome::Waiting) return;
  watchTimer_->stop();
  if (outcome == launcher::ExerciseWatch::Outcome::GaveUp) {
    launcher::withdraw(*host_.platform.blocks, exercise_);
    host_.platform.messages->ask({exercise_.giveUpMessage, QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok});
  }
  EndQX();
}

void LauncherCopy::EndQX() { endCopy(host_.platform); }
