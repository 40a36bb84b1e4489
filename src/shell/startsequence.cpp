#include "shell/startsequence.h"

#include "logic/blocks.h"
#include "logic/startup.h"
#include "platform/filesystem.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"

namespace {

void tell(Platform& platform, const QString& text, MessageBoxes::Icon icon = MessageBoxes::Icon::None) {
  platform.messages->ask({text, QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, icon});
}

// A folder that cannot be examined is offered again until it can, or the user gives up.
bool folderExists(Platform& platform, const QString& path) {
  for (;;) {
    // An empty path gives false, an existing folder or file true.
    if (const Result<FileState> state = platform.files->state(path)) return *state != FileState::Missing;
    const auto answer = platform.messages->ask({QStringLiteral("File Error"), QStringLiteral("File Error"),
                                                MessageBoxes::Buttons::OkCancel, MessageBoxes::Icon::Warning});
    if (answer != MessageBoxes::Answer::Ok) return false;
  }
}

// The folder and its parents; what someone read is theirs alone.
bool makeUserFolder(Platform& platform, const QString& path) {
  const Done made = platform.files->makePrivateFolder(path);
  if (!made) qCWarning(lcHistory) << "cannot make" << path << ":" << made.error();
  return bool(made);
}

}  // namespace

std::optional<CourseSetup> startEveryCopy(Platform& platform) {
  const Result<QString> base = startup::courseBase(platform.environment);
  if (!base) {
    tell(platform, base.error(), MessageBoxes::Icon::Critical);
    platform.endProcess(1);
    return std::nullopt;
  }
  CourseSetup setup;
  setup.FileLocn = *base;
  setup.ProgramFilesFolder = startup::programFilesFolder(platform.environment);
  setup.ApplicationData = startup::applicationDataFolder(platform.environment);
  setup.UserDir = startup::userDir(setup.ApplicationData);
  if (!folderExists(platform, setup.UserDir) && !makeUserFolder(platform, setup.UserDir)) {
    // Without the folder no page can be recorded; the reader still works.
    tell(platform,
         QStringLiteral("The folder for your reading history cannot be created:\n%1\n\n"
                        "Tavrin will run, but it cannot keep a history.")
             .arg(setup.UserDir),
         MessageBoxes::Icon::Warning);
  }
  // A block that cannot be had is reported; the others work, and so does the program.
  for (const QString& message : platform.openBlocks()) tell(platform, message);
  blocks::resetCourseEnded(*platform.blocks);
  return setup;
}

void endCopy(Platform& platform) {
  platform.closeBlocks();
  platform.endProcess(0);
}
