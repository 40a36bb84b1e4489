#pragma once
// The side windows as the main window sees them: which exist, which trigger page opens
// which, the first opening behind the splash, and one window on screen at a time.
#include "logic/pagenames.h"
#include "sidewin/host.h"
#include "sidewin/sidewindow.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class frmSplsh;

class SideWindows {
 public:
  // Makes the window of a kind; nothing for a kind this program has no window for.
  using Factory = std::function<std::unique_ptr<SideWindow>(SideWindowKind, SideWindowHost&, SideWindows&)>;
  SideWindows(SideWindowHost& host, SideWindowServices services, Factory factory);
  ~SideWindows();

  const SideWindowServices& services() const { return services_; }
  // The window of `kind`, created hidden on first use.
  SideWindow* window(SideWindowKind kind);
  // SearchLoaded, IndexLoaded, HistLoaded: set at the first opening, for the whole run.
  bool loaded(SideWindowKind kind) const { return loaded_[index(kind)]; }
  QString triggerPage(SideWindowKind kind) const;
  // The window a trigger page's arrival opens; nothing for any other arrival.
  static std::optional<SideWindowKind> openedBy(pages::Arrival arrival);

  // The main window's Search, History and My course: the target takes over, then its trigger
  // page opens it, or it opens at once when it has none.
  void openFromMain(SideWindowKind target);
  // A side window's Search, Index and History: back through the main window; My course opens
  // at once.
  void openFrom(SideWindow& from, SideWindowKind target);
  // The trigger page of `kind` has arrived in the main browser.
  void openOnArrival(SideWindowKind kind);

  void show(SideWindow& window);
  // A side window became active (and is still on screen): it alone stays there.
  void activated(SideWindow& window);
  // The main window became active (and is still on screen).
  void hideAll();

 private:
  static size_t index(SideWindowKind kind) { return size_t(kind); }

  SideWindowHost& host_;
  const SideWindowServices services_;
  Factory factory_;
  // Opens the window of `kind`: the first time behind the splash.
  void open(SideWindowKind kind);

  std::array<std::unique_ptr<SideWindow>, 4> windows_;
  std::array<bool, 4> loaded_{};
  std::unique_ptr<frmSplsh> splash_;
};
