// Watches a window's pixels from outside the program, for the page-turn and soak benchmarks
// (run_pageturn.py, run_soak.py). It is told what to do on stdin, one command a line, and
// answers each with one line on stdout:
//
//   hash WINDOW                      -> "hash H"             the window's pixels now
//   settle WINDOW QUIET_MS LIMIT_MS  -> "settled H MS"       once the pixels have not changed for
//                                       | "moving H MS"      QUIET_MS (or LIMIT_MS has gone by)
//   turn WINDOW KEYSYM H LIMIT_MS    -> "shown H MS T0"      a key press and release (XTEST, as
//                                       | "timeout H MS T0"  xdotool sends it), then the time until
//                                                            the window's pixels hash to H; T0 is
//                                                            when the key went, in seconds of
//                                                            CLOCK_MONOTONIC
//   wait WINDOW H LIMIT_MS           -> "shown H MS"         the same without a key
//                                       | "timeout H MS"
//   key KEYSYM                       -> "sent T0"            the key alone
//   quit
//
// H is a 64-bit hash of every pixel of the window (its contents, not the frame the window
// manager draws), MS milliseconds with a fraction. The window is watched through the X
// DAMAGE extension: it is read again each time the X server reports that something was
// drawn into it (and every 50 ms besides), so the helper costs next to nothing while a
// program is busy drawing and the time is that of the drawing that made the pixels right.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point begin) {
  return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

int xErrors = 0;
int onXError(Display*, XErrorEvent*) {
  ++xErrors;
  return 0;
}

// One watched window: its damage object and a shared-memory image of its size.
class Watched {
 public:
  Watched(Display* display, Window window) : display_(display), window_(window) {
    damage_ = XDamageCreate(display_, window_, XDamageReportNonEmpty);
  }
  ~Watched() {
    release();
    XDamageDestroy(display_, damage_);
  }
  Watched(const Watched&) = delete;
  Watched& operator=(const Watched&) = delete;

  Damage damage() const { return damage_; }

  // The hash of the window's pixels, or 0 when it cannot be read (unmapped, gone).
  std::uint64_t hash() {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window_, &attributes) || attributes.map_state != IsViewable) return 0;
    if (!image_ || image_->width != attributes.width || image_->height != attributes.height) {
      release();
      if (!acquire(attributes)) return 0;
    }
    const int before = xErrors;
    if (!XShmGetImage(display_, window_, image_, 0, 0, AllPlanes) || xErrors != before) return 0;
    // FNV-1a over 64-bit words: the pixels of a 1280 x 1024 window in well under a millisecond.
    std::uint64_t h = 14695981039346656037ull;
    const auto* words = reinterpret_cast<const std::uint64_t*>(image_->data);
    const std::size_t count = std::size_t(image_->bytes_per_line) * image_->height / 8;
    for (std::size_t i = 0; i < count; ++i) h = (h ^ words[i]) * 1099511628211ull;
    return h ? h : 1;
  }

 private:
  bool acquire(const XWindowAttributes& attributes) {
    image_ = XShmCreateImage(display_, attributes.visual, attributes.depth, ZPixmap, nullptr, &shm_, attributes.width,
                             attributes.height);
    if (!image_) return false;
    shm_.shmid = shmget(IPC_PRIVATE, std::size_t(image_->bytes_per_line) * image_->height, IPC_CREAT | 0600);
    if (shm_.shmid < 0) {
      XDestroyImage(image_);
      image_ = nullptr;
      return false;
    }
    shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
    shm_.readOnly = False;
    XShmAttach(display_, &shm_);
    XSync(display_, False);
    shmctl(shm_.shmid, IPC_RMID, nullptr);  // gone once both ends have let go
    return true;
  }

  void release() {
    if (!image_) return;
    XShmDetach(display_, &shm_);
    XSync(display_, False);
    XDestroyImage(image_);  // does not free the shared data
    shmdt(shm_.shmaddr);
    image_ = nullptr;
  }

  Display* display_;
  Window window_;
  Damage damage_;
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
};

class Watcher {
 public:
  explicit Watcher(Display* display) : display_(display) {
    int error;
    if (!XDamageQueryExtension(display_, &damageEvent_, &error)) throw std::runtime_error("no DAMAGE extension");
    int major, minor;
    if (!XTestQueryExtension(display_, &error, &error, &major, &minor)) throw std::runtime_error("no XTEST extension");
    if (!XShmQueryExtension(display_)) throw std::runtime_error("no MIT-SHM extension");
  }

  Watched& watched(Window window) {
    auto found = windows_.find(window);
    if (found == windows_.end()) found = windows_.emplace(window, std::make_unique<Watched>(display_, window)).first;
    return *found->second;
  }

  bool key(const std::string& name) {
    const KeySym sym = XStringToKeysym(name.c_str());
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display_, sym);
    if (!code) return false;
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XFlush(display_);
    return true;
  }

  // Waits for damage to the window, at most `ms` milliseconds; true if some came.
  bool waitForDamage(Watched& w, int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      bool damaged = false;
      while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == damageEvent_ + XDamageNotify) {
          const auto* notify = reinterpret_cast<XDamageNotifyEvent*>(&event);
          if (notify->damage == w.damage()) damaged = true;
        }
      }
      if (damaged) {
        XDamageSubtract(display_, w.damage(), None, None);
        return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0) return false;
      pollfd fd{ConnectionNumber(display_), POLLIN, 0};
      poll(&fd, 1, int(left));
    }
  }

  // Clears what damage is pending, so that the next wait sees only new drawing.
  void forget(Watched& w) {
    XSync(display_, False);
    waitForDamage(w, 0);
  }

 private:
  Display* display_;
  int damageEvent_ = 0;
  std::map<Window, std::unique_ptr<Watched>> windows_;
};

constexpr int kRecheckMs = 50;

std::string seconds(Clock::time_point t) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", std::chrono::duration<double>(t.time_since_epoch()).count());
  return text;
}

std::string hex(std::uint64_t h) {
  char text[20];
  std::snprintf(text, sizeof text, "%016" PRIx64, h);
  return text;
}

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "pixelwatch: cannot open display %s\n", XDisplayName(nullptr));
    return 2;
  }
  XSetErrorHandler(onXError);
  try {
    Watcher watcher(display);
    std::string line;
    while (std::getline(std::cin, line)) {
      std::istringstream in(line);
      std::string command;
      in >> command;
      std::string answer;
      if (command == "quit") break;
      if (command == "hash") {
        Window window = 0;
        in >> std::hex >> window;
        answer = "hash " + hex(watcher.watched(window).hash());
      } else if (command == "key") {
        std::string keysym;
        in >> keysym;
        const auto sent = Clock::now();
        answer = watcher.key(keysym) ? "sent " + seconds(sent) : "error no key " + keysym;
      } else if (command == "settle") {
        Window window = 0;
        int quiet = 0, limit = 0;
        in >> std::hex >> window >> std::dec >> quiet >> limit;
        Watched& w = watcher.watched(window);
        const auto begin = Clock::now();
        watcher.forget(w);
        std::uint64_t h = w.hash();
        auto still = Clock::now();
        while (msSince(still) < quiet && msSince(begin) < limit) {
          watcher.waitForDamage(w, std::min(kRecheckMs, quiet));
          const std::uint64_t now = w.hash();
          if (now != h) {
            h = now;
            still = Clock::now();
          }
        }
        answer = std::string(msSince(still) >= quiet ? "settled " : "moving ") + hex(h) + " " +
                 std::to_string(msSince(begin));
      } else if (command == "turn" || command == "wait") {
        Window window = 0;
        std::string keysym, target;
        int limit = 0;
        in >> std::hex >> window;
        if (command == "turn") in >> keysym;
        in >> target >> std::dec >> limit;
        const std::uint64_t want = std::stoull(target, nullptr, 16);
        Watched& w = watcher.watched(window);
        watcher.forget(w);
        const auto begin = Clock::now();
        if (command == "turn" && !watcher.key(keysym)) {
          answer = "error no key " + keysym;
        } else {
          std::uint64_t h = 0;
          while ((h = w.hash()) != want && msSince(begin) < limit) watcher.waitForDamage(w, kRecheckMs);
          answer = std::string(h == want ? "shown " : "timeout ") + hex(h) + " " + std::to_string(msSince(begin));
          if (command == "turn") answer += " " + seconds(begin);
        }
      } else {
        answer = "error unknown command: " + line;
      }
      std::cout << answer << std::endl;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pixelwatch: %s\n", e.what());
    XCloseDisplay(display);
    return 2;
  }
  XCloseDisplay(display);
  return 0;
}
