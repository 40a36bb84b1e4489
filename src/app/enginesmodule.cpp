// The module of engines (see engines.h): the factories the program looks up when it loads it.
#include "engines.h"
#include "qtmedia/qtmediaplayer.h"
#include "webengine/webenginebrowser.h"

extern "C" Q_DECL_EXPORT Browser* tavrinCreateBrowser(QWidget* parent, const QString& courseBase, int pageTimeLimitMs) {
  return new WebEngineBrowser(parent, QUrl(courseBase), std::chrono::milliseconds(pageTimeLimitMs));
}

extern "C" Q_DECL_EXPORT MediaPlayer* tavrinCreatePlayer(QWidget* window) { return new QtMediaPlayer(window); }
