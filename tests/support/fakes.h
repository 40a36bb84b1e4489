#pragma once
// Stand-ins for the message boxes, the clock and the file system, for tests of logic that
// asks the user, waits or records.
#include "platform/clock.h"
#include "platform/filesystem.h"
#include "platform/messageboxes.h"

#include <QHash>

#include <deque>
#include <functional>
#include <vector>

class FakeMessageBoxes : public MessageBoxes {
 public:
  Answer ask(const Message& m) override {
    asked.push_back(m);
    if (onAsk) onAsk(m);
    if (answers.empty()) return m.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<Answer> answers;                 // answers to give, in order; then Ok (or No)
  std::function<void(const Message&)> onAsk;  // what the user does while the box is up
  std::vector<Message> asked;
};

// A clock that moves on by `step` milliseconds each time it is read.
class FakeClock : public Clock {
 public:
  quint32 milliseconds() override { return now += step; }
  quint32 now = 0;
  quint32 step = 250;
};

// A file system of paths told their state, and of appends answered as told.
class FakeFileSystem : public FileSystem {
 public:
  FileState state(const QString& path, QString* why) override {
    if (why) *why = reason;
    return states.value(path, FileState::Missing);
  }
  Appended append(const QString&, const QByteArray&) override { return appendAnswer; }
  QHash<QString, FileState> states;
  QString reason = QStringLiteral("Too many levels of symbolic links");  // given for any state
  Appended appendAnswer;                                                 // Written unless told otherwise
};
