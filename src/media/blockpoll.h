#pragma once
// The reader's once-a-second look at the shared blocks: narration that another program
// asks for in "QXwav", and the return window, on screen while an exercise name stands in
// "AmpvaleName".
#include "platform/sharedblocks.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

class BlockPoll : public QObject {
  Q_OBJECT
 public:
  struct Actions {
    std::function<void()> stopMedia;
    std::function<void(const QString& address)> playNarration;
    std::function<void()> loadReturnWindow;    // nothing happens when it is loaded
    std::function<void()> unloadReturnWindow;  // nothing happens when it is not loaded
  };

  static constexpr int kIntervalMs = 1000;

  // `fileLocn` gives the course base that narration addresses start with.
  BlockPoll(blocks::SharedBlocks& blocks, std::function<QString()> fileLocn, Actions actions,
            QObject* parent = nullptr);

  void TimerEnd_Timer();

  QTimer* const TimerEnd;  // disabled until the reader has started, and again at its end

 private:
  blocks::SharedBlocks& blocks_;
  std::function<QString()> fileLocn_;
  Actions actions_;
};
