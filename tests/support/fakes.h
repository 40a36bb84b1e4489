#pragma once
// Small stand-ins for the browser, the message boxes and the rest of the platform, for
// tests of the windows' own logic.
#include "platform/browser.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "shell/tickwait.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>

class FakeBrowser : public Browser {
  Q_OBJECT
 public:
  explicit FakeBrowser(QWidget* parent) : Browser(parent), view(new QWidget(parent)) {}

  QWidget* widget() override { return view; }
  QString locationUrl() const override { return location; }
  std::optional<QString> linkHref(int i) const override {
    if (i < 0 || i >= links.size()) return std::nullopt;
    return links[i];
  }
  bool setLinkHref(int i, const QString& href) override {
    if (i < 0 || i >= links.size()) return false;
    links[i] = href;
    return true;
  }
  void navigate(const QString& url) override { calls << QStringLiteral("navigate ") + url; }
  void goBack() override { calls << QStringLiteral("back"); }

  // A document completes: `url` is the top-level location, `pageLinks` its link hrefs.
  void arrive(const QString& url, const QStringList& pageLinks = {}) {
    location = url;
    links = pageLinks;
    emit documentComplete();
  }

  QWidget* view;
  QString location;
  QStringList links;
  QStringList calls;  // "navigate <url>" and "back", in order
};

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
  std::deque<Answer> answers;  // answers to give, in order; then Ok (or No)
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

// Where the tests' course "is served": nothing listens there, the fake browser never asks.
inline const QString kCourseBase = QStringLiteral("http://127.0.0.1:1/qx_cbt/qx2/");

// A platform of fakes; `ended` holds the exit code once the program has ended itself.
// Given an application-data folder, it is set up for a reader of the course at kCourseBase.
struct FakePlatform {
  explicit FakePlatform(const QString& appData = {}) {
    if (!appData.isEmpty()) {
      env[QStringLiteral("APPDATA")] = appData;
      env[QStringLiteral("TAVRIN_COURSE_BASE")] = kCourseBase;
    }
    platform.createBrowser = [this](QWidget* parent) { return browser = new FakeBrowser(parent); };
    platform.messages = &messages;
    platform.environment = [this](const char* name) { return env.value(QString::fromLatin1(name)); };
    platform.anotherCopyRuns = [this] { return otherCopy; };
    platform.screenSize = [this] { return screen; };
    platform.endProcess = [this](int code) { ended = code; };
    platform.removeFile = [this](const QString& path) { return canRemove && QFile::remove(path); };
    platform.clock = &clock;
    platform.processEvents = [this](int) {
      ++eventRounds;
      QCoreApplication::processEvents();
    };
    platform.programFolder = QStringLiteral("/opt/tavrin");
  }
  Platform platform;
  FakeBrowser* browser = nullptr;
  FakeMessageBoxes messages;
  QHash<QString, QString> env;
  bool otherCopy = false;
  QSize screen{1280, 1024};
  std::optional<int> ended;
  bool canRemove = true;
  FakeClock clock;
  int eventRounds = 0;
};
