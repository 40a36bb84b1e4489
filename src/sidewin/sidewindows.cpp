#include "sidewin/sidewindows.h"

#include "platform/logging.h"
#include "sidewin/frmsplsh.h"
#include "sidewin/handover.h"
#include "sidewin/host.h"

#include "logic/tickwait.h"

#include <QLoggingCategory>

#include <utility>

namespace {
// Each side window and the arrival of the trigger page that opens it.
constexpr std::array<std::pair<SideWindowKind, pages::Arrival>, 3> kOpenedBy = {{
    {SideWindowKind::Search, pages::Arrival::SearchTrigger},
    {SideWindowKind::Index, pages::Arrival::IndexTrigger},
    {SideWindowKind::History, pages::Arrival::HistTrigger},
}};
}  // namespace

SideWindows::SideWindows(SideWindowHost& host, SideWindowServices services, Factory factory)
    : host_(host), services_(std::move(services)), factory_(std::move(factory)) {}
SideWindows::~SideWindows() = default;

SideWindow* SideWindows::window(SideWindowKind kind) {
  auto& slot = windows_[index(kind)];
  if (!slot) slot = factory_(kind, host_, *this);
  return slot.get();
}

QString SideWindows::triggerPage(SideWindowKind kind) const {
  for (const auto& [window, opener] : kOpenedBy)
    if (window == kind) return services_.fileLocn + pages::triggerPage(opener);
  return {};
}

std::optional<SideWindowKind> SideWindows::openedBy(pages::Arrival arrival) {
  for (const auto& [window, opener] : kOpenedBy)
    if (opener == arrival) return window;
  return std::nullopt;
}

void SideWindows::openFromMain(SideWindowKind target) {
  if (SideWindow* to = window(target)) handOver(host_.mainWindow(), *to, services_.waitOneSecond);
  const QString trigger = triggerPage(target);
  if (trigger.isEmpty())
    open(target);
  else
    host_.navigateWeb1(trigger);
}

void SideWindows::openFrom(SideWindow& from, SideWindowKind target) {
  const QString trigger = triggerPage(target);
  if (trigger.isEmpty()) {
    if (SideWindow* to = window(target)) handOver(from, *to, services_.waitOneSecond);
    return open(target);
  }
  // The main window first: the trigger page shows it on the way to the target.
  handOver(from, host_.mainWindow(), services_.waitOneSecond);
  if (SideWindow* to = window(target)) handOver(from, *to, services_.waitOneSecond);
  host_.navigateWeb1(trigger);
}

void SideWindows::openOnArrival(SideWindowKind kind) {
  services_.waitOneSecond();
  open(kind);
}

void SideWindows::open(SideWindowKind kind) {
  SideWindow* target = window(kind);
  if (!target) return;
  if (!splash_) splash_ = std::make_unique<frmSplsh>();
  const bool firstTime = !loaded_[index(kind)];
  // The flag goes up before the load, so a load that fails is not tried again. What a window
  // without a trigger page shows is at hand: it needs no splash.
  if (firstTime) {
    loaded_[index(kind)] = true;
    if (!triggerPage(kind).isEmpty()) splash_->showOver(host_.mainWindow());
  }
  target->openOnArrival(firstTime);
  splash_->hide();
}

void SideWindows::show(SideWindow& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

// Activation news can come late: a click on one window while a message box was up is
// told only after the box closed, by when another window may have taken over. A window
// that is no longer on screen hides nothing, or every window would end up hidden.
void SideWindows::activated(SideWindow& window) {
  qCDebug(lcWindows) << window.windowTitle() << "became active, visible:" << window.isVisible();
  if (!window.isVisible()) return;
  host_.mainWindow().hide();
  for (const auto& other : windows_)
    if (other && other.get() != &window) other->hide();
}

void SideWindows::hideAll() {
  qCDebug(lcWindows) << "the main window became active, visible:" << host_.mainWindow().isVisible();
  if (!host_.mainWindow().isVisible()) return;
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)  // history, index, search
    if (*it) (*it)->hide();
}
