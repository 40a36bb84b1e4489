#pragma once
// Small stand-ins for the browser and the rest of the platform, for tests of the windows'
// own logic.
#include "platform/platform.h"
#include "posix/posixfilesystem.h"
#include "shell/startsequence.h"
#include "support/fakeblocks.h"
#include "support/fakebrowser.h"
#include "support/fakemedia.h"
#include "support/fakes.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <optional>

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
    platform.createBrowser = [this](QWidget* parent) {
      browser = new FakeBrowser(parent);
      browser->view = new QWidget(parent);
      return browser;
    };
    platform.createPlayer = [this](QWidget*) { return player = new FakeMediaPlayer; };
    platform.startCalculator = [this] {
      calls << QStringLiteral("calculator");
      return true;
    };
    platform.messages = &messages;
    platform.environment = [this](const char* name) { return env.value(QString::fromLatin1(name)); };
    platform.anotherCopyRuns = [this] { return otherCopy; };
    platform.screenPixels = [this] { return screen; };
    platform.endProcess = [this](int code) { ended = code; };
    platform.files = &files;
    platform.clock = &clock;
    platform.processEvents = [this](int) {
      ++eventRounds;
      QCoreApplication::processEvents();
    };
    platform.programFolder = QStringLiteral("/opt/tavrin");
    platform.blocks = &blocks;
    platform.openBlocks = [this] { return blockMessages; };
    platform.closeBlocks = [this] { blocksClosed = true; };
    platform.activateWindow = [this](const QString& title) {
      calls << QStringLiteral("activate ") + title;
      return answers(title);
    };
    platform.maximizeWindow = [this](const QString& title) {
      calls << QStringLiteral("maximize ") + title;
      return answers(title);
    };
    platform.startProgram = [this](const QString& program) {
      calls << QStringLiteral("start ") + program;
      return startable;
    };
    platform.setApplicationTitle = [this](const QString& title) { calls << QStringLiteral("title ") + title; };
    platform.pointer = [this] { return pointer; };
    platform.askForFile = [this](const Platform::FileQuestion& question) {
      fileQuestions.push_back(question);
      return fileAnswer;
    };
  }
  Platform platform;
  FakeBrowser* browser = nullptr;
  FakeMediaPlayer* player = nullptr;  // owned by the main window
  FakeMessageBoxes messages;
  QHash<QString, QString> env;
  bool otherCopy = false;
  QSize screen{1280, 1024};
  std::optional<int> ended;
  // The windows' files are real ones, in the tests' temporary folders; a test can refuse
  // their removal.
  struct Files : PosixFileSystem {
    bool canRemove = true;
    Done remove(const QString& path) override {
      if (!canRemove) return Done::failed(QStringLiteral("Permission denied"));
      return PosixFileSystem::remove(path);
    }
  } files;
  FakeClock clock;
  int eventRounds = 0;
  FakeSharedBlocks blocks;
  QStringList blockMessages;  // what opening the blocks reports
  bool blocksClosed = false;
  QStringList windowTitles;  // other programs' windows
  // A window answers to a title it equals or begins with.
  bool answers(const QString& title) const {
    return std::any_of(windowTitles.begin(), windowTitles.end(), [&](const QString& t) { return t.startsWith(title); });
  }
  bool startable = true;
  std::optional<Platform::Pointer> pointer = Platform::Pointer{};
  QStringList calls;  // "activate T", "maximize T", "start P", "title T", in order
  std::vector<Platform::FileQuestion> fileQuestions;  // asked of the user, in order
  QString fileAnswer;                                 // the file the user picks; "" cancels
};

// The places a copy started on `fake` works with, fixed by the program's own start-up steps
// (which also open the fake's blocks).
inline CourseSetup courseSetup(FakePlatform& fake) { return startEveryCopy(fake.platform).value_or(CourseSetup{}); }
