#pragma once
// The presence check asked before the data files and the history log are read or
// deleted. A missing file is an ordinary "no"; a path that cannot be examined at all
// (the course medium is gone) sends the user to the setup, with a retry.
#include <QString>

#include <functional>

class FileSystem;
class MessageBoxes;
class QWidget;

struct PresenceCheck {
  MessageBoxes* messages = nullptr;
  std::function<void()> endProgram;  // EndQX of the main window
  FileSystem* files = nullptr;

  // True when `path` names a file (hidden ones included; folders do not count). On Cancel
  // the program ends; the answer is then false.
  bool operator()(const QString& path, QWidget* owner = nullptr) const;  // FileExists
};
