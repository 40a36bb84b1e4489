#pragma once
// Small stand-ins for the browser and the rest of the platform, for tests of the windows'
// own logic.
#include "platform/browser.h"
#include "platform/platform.h"
#include "posix/posixfilesystem.h"
#include "shell/startsequence.h"
#include "support/fakeblocks.h"
#include "support/fakemedia.h"
#include "support/fakes.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <optional>

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
  bool loadSucceeded() const override { return succeeded; }
  void navigate(const QString& url) override { calls << QStringLiteral("navigate ") + url; }
  bool canGoBack() const override { return backwards; }
  void goBack() override { calls << QStringLiteral("back"); }
  Result<int> printStatus() const override { return kPrintSupported | kPrintEnabled; }
  Done print(QPrinter&) override {
    calls << QStringLiteral("print");
    return {};
  }
  void setZoom(double factor) override { zoom = factor; }
  void find(const QString& text, bool backward) override {
    calls << QStringLiteral("find ") + text + (backward ? QStringLiteral(" backward") : QString());
  }
  void markWords(const QStringList& words, const QString& foldFrom, const QString& foldTo) override {
    calls << QStringLiteral("mark ") + words.join(u' ');
    fold = {foldFrom, foldTo};
  }

  // A document completes: `url` is the top-level location, `pageLinks` its link hrefs.
  void arrive(const QString& url, const QStringList& pageLinks = {}) {
    location = url;
    links = pageLinks;
    succeeded = true;
    emit documentComplete();
  }
  // The load of `url` fails: the browser's error page, with links of its own, is on show.
  void fail(const QString& url) {
    location = url;
    links = {QStringLiteral("chrome-error://chromewebdata/")};
    succeeded = false;
    emit documentComplete();
  }

  QWidget* view;
  QString location;
  QStringList links;
  bool succeeded = true;
  bool backwards = true;  // there is a page to go back to
  double zoom = 1.0;
  QStringList fold;   // the last marks' foldFrom and foldTo
  QStringList calls;  // "navigate <url>", "back", "find <text>[ backward]", "mark <words>", in order
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
};

// The places a copy started on `fake` works with, fixed by the program's own start-up steps
// (which also open the fake's blocks).
inline CourseSetup courseSetup(FakePlatform& fake) { return startEveryCopy(fake.platform).value_or(CourseSetup{}); }
