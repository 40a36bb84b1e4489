#pragma once
// Stand-ins for the message boxes and the clock, for tests of logic that asks the user
// or waits.
#include "platform/clock.h"
#include "platform/messageboxes.h"

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
