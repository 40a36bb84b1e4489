#include "logic/presence.h"

#include "logic/startup.h"
#include "platform/filesystem.h"
#include "platform/messageboxes.h"

bool PresenceCheck::operator()(const QString& path, QWidget* owner) const {
  for (;;) {
    QString why;
    switch (files->state(path, &why)) {
      case FileState::File:
      case FileState::Other: return true;
      case FileState::Missing:
      case FileState::Folder: return false;
      case FileState::Unreadable: break;
    }
    qCWarning(lcStartup) << "cannot examine" << path << ":" << why;
    const auto answer = messages->ask({QStringLiteral("Please run Setup on the USB"), QStringLiteral("Tavrin"),
                                       MessageBoxes::Buttons::OkCancel, MessageBoxes::Icon::Warning, owner});
    if (answer != MessageBoxes::Answer::Ok) {
      endProgram();
      return false;
    }
  }
}
