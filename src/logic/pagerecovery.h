#pragma once
// What the browser does when a page cannot be shown: how often a crashed page renderer is
// restarted by itself, and the pages of the program's own that stand in for a course page.
#include <QString>

#include <chrono>
#include <deque>

namespace pagerecovery {

// Crashes of the page renderer: each one is followed by a reload of the page, unless it
// is the third within a minute. A page that brings the renderer down as it loads would
// otherwise be reloaded for ever.
class CrashWindow {
 public:
  static constexpr int kLimit = 3;
  static constexpr std::chrono::milliseconds kSpan = std::chrono::minutes(1);

  // Notes a crash at `now` (on any steady clock); false when it is the third within the span.
  bool restoreAfterCrash(std::chrono::milliseconds now);
  // The user asked for the page again: it gets three more tries.
  void reset() { crashes_.clear(); }

 private:
  std::deque<std::chrono::milliseconds> crashes_;
};

// How often a page that could not be loaded is asked for again while its stand-in shows.
inline constexpr std::chrono::seconds kRetryInterval{5};
// How long a page may take to arrive before it counts as failed.
inline constexpr std::chrono::seconds kPageTimeLimit{30};

enum class Trouble {
  NoAnswer,  // the server could not be reached, or broke off: asked for again by itself
  TimedOut,  // the server took the request and sent nothing in time: asked for again by itself
  Refused,   // the load failed in a way that asking again will not mend
  Crashed,   // the renderer crashed too often: the user reloads it
};

// The stand-in page for `address`, as a whole HTML document. `reason` is the browser's
// word for what went wrong (may be empty); `limit` is the page time limit in force.
QString standInPage(Trouble trouble, const QString& address, const QString& reason,
                    std::chrono::milliseconds limit = kPageTimeLimit);

}  // namespace pagerecovery
