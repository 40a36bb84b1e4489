#include "logic/presence.h"

#include "logic/startup.h"
#include "platform/filesystem.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"

bool PresenceCheck::operator()(const QString& path, QWidget* owner) const {
  for (;;) {
    const Result<FileState> state = files->state(path);
    if (state) return *state == FileState::File || *state == FileState::Other;
    qCWarning(lcStartup) << "cannot examine" << path << ":" << state.error();
    const auto answer = messages->ask({QStringLiteral("Please run Setup on the USB"), QStringLiteral("Tavrin"),
                                       MessageBoxes::Buttons::OkCancel, MessageBoxes::Icon::Warning, owner});
    if (answer != MessageBoxes::Answer::Ok) {
      endProgram();
      return false;
    }
  }
}
