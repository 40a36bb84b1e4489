#pragma once
// The browser and the media player live in a module of their own, modules/tavrin-engines.so
// beside the program, with Chromium and GStreamer behind them. A copy that never shows a
// window (one that brings the reader forward, or hands an exercise to a simulator already
// there) never loads it, and starts as fast as a program that links neither.
#include <QString>

#include <chrono>
#include <optional>

class Browser;
class MediaPlayer;
class QWidget;

// The names the module exports its factories under.
#define TAVRIN_ENGINES_CREATE_BROWSER "tavrinCreateBrowser"
#define TAVRIN_ENGINES_CREATE_PLAYER "tavrinCreatePlayer"

class Engines {
 public:
  explicit Engines(QString path) : path_(std::move(path)) {}

  // Loads the module. It must come before the application object: the browser's engine
  // prepares the application's shared graphics context when it is loaded. Loading it again
  // does nothing. The reason when it cannot be loaded.
  std::optional<QString> load();

  // `courseBase`: the course's address, whose origin alone the browser shows;
  // `pageTimeLimit`: how long a page may take to arrive before it counts as failed.
  Browser* createBrowser(QWidget* parent, const QString& courseBase, std::chrono::milliseconds pageTimeLimit);
  MediaPlayer* createPlayer(QWidget* window);

 private:
  using BrowserFactory = Browser* (*)(QWidget*, const QString&, int);
  using PlayerFactory = MediaPlayer* (*)(QWidget*);

  QString path_;
  BrowserFactory browser_ = nullptr;
  PlayerFactory player_ = nullptr;
};
