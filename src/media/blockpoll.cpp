#include "media/blockpoll.h"

#include "logic/blocks.h"
#include "logic/pagenames.h"
#include "platform/logging.h"

#include <QLoggingCategory>
#include <QTimer>

namespace {}  // namespace

BlockPoll::BlockPoll(blocks::SharedBlocks& blocks, std::function<QString()> fileLocn, Actions actions, QObject* parent,
                     int intervalMs)
    : QObject(parent),
      TimerEnd(new QTimer(this)),
      blocks_(blocks),
      fileLocn_(std::move(fileLocn)),
      actions_(std::move(actions)) {
  TimerEnd->setObjectName(QStringLiteral("TimerEnd"));
  TimerEnd->setInterval(intervalMs);
  connect(TimerEnd, &QTimer::timeout, this, &BlockPoll::TimerEnd_Timer);
}

void BlockPoll::start() { TimerEnd->start(); }
void BlockPoll::stop() { TimerEnd->stop(); }
bool BlockPoll::running() const { return TimerEnd->isActive(); }

void BlockPoll::TimerEnd_Timer() {
  const blocks::Poll found = blocks::poll(blocks_);
  if (found.request && !blocks::isMediaRequest(*found.request)) {
    qCWarning(lcMedia) << "request" << *found.request << "ignored: not a narration (v and four digits)";
  } else if (found.request) {
    if (*found.request == QStringView(blocks::kStopMediaRequest))
      actions_.stopMedia();
    else
      actions_.playNarration(pages::requestedNarrationAddress(fileLocn_(), *found.request));
  }
  if (found.exerciseOpen)
    actions_.loadReturnWindow();
  else
    actions_.unloadReturnWindow();
}
