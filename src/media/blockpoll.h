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

  // `fileLocn` gives the course base that narration addresses start with. The poll does not
  // run until it is started.
  BlockPoll(blocks::SharedBlocks& blocks, std::function<QString()> fileLocn, Actions actions, QObject* parent = nullptr,
            int intervalMs = kIntervalMs);

  // The reader starts the poll once it has asked for its first page, and stops it at its end.
  void start();
  void stop();
  bool running() const;

  // One look at the blocks, as each tick of the poll takes it.
  void TimerEnd_Timer();

 private:
  QTimer* const TimerEnd;
  blocks::SharedBlocks& blocks_;
  std::function<QString()> fileLocn_;
  Actions actions_;
};
