#include "engines.h"

#include "logic/startup.h"
#include "platform/logging.h"

#include <QFile>

#include <dlfcn.h>

std::optional<QString> Engines::load() {
  if (browser_ && player_) return std::nullopt;
  void* module = ::dlopen(QFile::encodeName(path_).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return QString::fromLocal8Bit(::dlerror());
  browser_ = reinterpret_cast<BrowserFactory>(::dlsym(module, TAVRIN_ENGINES_CREATE_BROWSER));
  player_ = reinterpret_cast<PlayerFactory>(::dlsym(module, TAVRIN_ENGINES_CREATE_PLAYER));
  if (!browser_ || !player_) return QStringLiteral("%1 is not the program's module of engines").arg(path_);
  qCDebug(lcStartup) << "loaded" << path_;
  return std::nullopt;
}

Browser* Engines::createBrowser(QWidget* parent, const QString& courseBase, std::chrono::milliseconds pageTimeLimit) {
  return browser_ ? browser_(parent, courseBase, static_cast<int>(pageTimeLimit.count())) : nullptr;
}

MediaPlayer* Engines::createPlayer(QWidget* window) { return player_ ? player_(window) : nullptr; }
