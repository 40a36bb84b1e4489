#include "shell/presence.h"

#include "platform/messageboxes.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

bool PresenceCheck::operator()(const QString& path, QWidget* owner) const {
  for (;;) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) return !S_ISDIR(st.st_mode);
    if (errno == ENOENT || errno == ENOTDIR || path.isEmpty()) return false;
    const auto answer = messages->ask({QStringLiteral("Please run Setup on the USB"), QStringLiteral("Tavrin"),
                                       MessageBoxes::Buttons::OkCancel, MessageBoxes::Icon::Warning, owner});
    if (answer != MessageBoxes::Answer::Ok) {
      endProgram();
      return false;
    }
  }
}
