#include "shell/startsequence.h"

#include "logic/blocks.h"
#include "logic/historylog.h"
#include "logic/startup.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"

#include <QDir>

namespace {

void tell(Platform& platform, const QString& text, MessageBoxes::Icon icon = MessageBoxes::Icon::None) {
  platform.messages->ask({text, QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, icon});
}

// A folder that cannot be examined is offered again until it can, or the user gives up.
bool folderExists(Platform& platform, const QString& path) {
  for (;;) {
    if (const auto exists = startup::pathExists(*platform.files, path)) return *exists;
    const auto answer = platform.messages->ask({QStringLiteral("File Error"), QStringLiteral("File Error"),
                                                MessageBoxes::Buttons::OkCancel, MessageBoxes::Icon::Warning});
    if (answer != MessageBoxes::Answer::Ok) return false;
  }
}

}  // namespace

std::optional<CourseSetup> startEveryCopy(Platform& platform) {
  const startup::CourseBase base = startup::courseBase(platform.environment);
  if (!base.error.isEmpty()) {
    tell(platform, base.error, MessageBoxes::Icon::Critical);
    platform.endProcess(1);
    return std::nullopt;
  }
  CourseSetup setup;
  setup.FileLocn = base.address;
  setup.ProgramFilesFolder = startup::programFilesFolder(platform.environment);
  setup.ApplicationData = startup::applicationDataFolder(platform.environment);
  setup.UserDir = startup::userDir(setup.ApplicationData);
  if (!folderExists(platform, setup.UserDir) && !historylog::makeFolder(setup.UserDir)) {
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
