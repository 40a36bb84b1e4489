#pragma once
// What the browser does when a page cannot be shown or does what a course page never does:
// how often a crashed page renderer is restarted by itself, how long and how large a page
// may be, which addresses the reader shows, the messages a page may put up, and the pages of
// the program's own that stand in for a course page.
#include <QString>

#include <chrono>
#include <deque>
#include <optional>

class QUrl;

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
// How long a page may take to arrive before it counts as failed. Each load has all of it.
inline constexpr std::chrono::seconds kPageTimeLimit{30};

// How much a page may make the page display grow while it loads. Qt WebEngine tells nothing
// of the bytes a page brings, and the reader's own process also reads the videos and the
// narration from the same server, so what is held to a limit is the memory of the renderer
// that draws the page: that is what a page without end uses up. The sample course's pages
// are under 10 KB each; the first of them takes a fresh renderer from 62 to 86 MB, any later
// one adds under 10 MB. A page of 2 GB of text reaches the limit in about five seconds, and
// is stopped there instead of taking the renderer to gigabytes.
inline constexpr qint64 kPageMemoryLimit = 256LL * 1024 * 1024;

// Whether `page` is on the course's own origin: the scheme, host and port of `courseBase`.
// The reader shows nothing else; a course that leads elsewhere leads out of the reader.
bool onCourse(const QUrl& page, const QUrl& courseBase);

// The messages a page asks to show (alert, confirm, prompt). Course pages show none, and a
// page that asks again as soon as one is closed keeps the reader behind one modal message
// after another. So, as browsers do: the first is shown; one asked for within kQuick of
// the last one's closing is a repeat, and from the kRepeats-th repeat on the page's
// messages are held back (an alert returns at once, a confirm or prompt answers no) until
// the user goes to another page. A page that goes on asking kAskedWhileHeld times while
// held back is in a loop that would keep its renderer busy for ever, and is stopped.
class DialogGate {
 public:
  static constexpr std::chrono::milliseconds kQuick{1000};
  static constexpr int kRepeats = 2;
  static constexpr int kAskedWhileHeld = 20;

  enum class Answer { Show, HoldBack, StopPage };
  // What to do with a message asked for at `now` (on any steady clock).
  Answer ask(std::chrono::milliseconds now);
  // The message shown was closed at `now`.
  void closed(std::chrono::milliseconds now) { lastClosed_ = now; }
  // The user went to another page: its messages are shown again.
  void reset() { *this = DialogGate(); }
  // How many have been asked for since they were held back (0 while they are shown).
  int heldBack() const { return heldBack_.value_or(0); }

 private:
  std::optional<std::chrono::milliseconds> lastClosed_;
  int repeats_ = 0;
  std::optional<int> heldBack_;  // how many were asked for since they were held back
};

enum class Trouble {
  NoAnswer,    // the server could not be reached, or broke off: asked for again by itself
  TimedOut,    // the server took the request and sent nothing in time: asked for again by itself
  Unfinished,  // the server began to send the page and did not finish in time: asked for again by itself
  TooLarge,    // the page grew past kPageMemoryLimit as it loaded: not asked for again
  Refused,     // the load failed in a way that asking again will not mend (it led off the course, say)
  Stopped,     // the page kept asking for messages in a loop and was stopped: the user reloads it
  Crashed,     // the renderer crashed too often: the user reloads it
};

// Whether the browser asks for a page that failed that way again by itself.
bool askedForAgain(Trouble trouble);

// The stand-in page for `address`, as a whole HTML document. `reason` is the browser's
// word for what went wrong (may be empty); `limit` is the page time limit in force.
QString standInPage(Trouble trouble, const QString& address, const QString& reason,
                    std::chrono::milliseconds limit = kPageTimeLimit);

}  // namespace pagerecovery
