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

// A file system of paths told their state, and of appends answered as told; it holds no
// files.
class FakeFileSystem : public FileSystem {
 public:
  Result<FileState> state(const QString& path) override { return states.value(path, FileState::Missing); }
  Result<QByteArray> readWhole(const QString&, qint64) override {
    return Result<QByteArray>::failed(QStringLiteral("there is no such file"));
  }
  Done writeWhole(const QString&, const QByteArray&) override { return Done::failed(reason); }
  Result<void, AppendFailure> append(const QString&, const QByteArray&) override { return appendAnswer; }
  Done remove(const QString&) override { return {}; }
  Done makePrivateFolder(const QString&) override { return {}; }
  QHash<QString, FileState> states;
  QString reason = QStringLiteral("Read-only file system");  // why a write fails
  Result<void, AppendFailure> appendAnswer;                  // written unless told otherwise
};
