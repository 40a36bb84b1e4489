#include "x11/x11windows.h"

#include "platform/logging.h"

#include <QLoggingCategory>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <cstdlib>

namespace {

template <typename T>
struct FreeDeleter {
  void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

// ICCCM WM_STATE values of a window that a window manager shows or keeps minimised.
constexpr uint32_t kNormalState = 1;
constexpr uint32_t kIconicState = 3;

}  // namespace

struct X11Windows::Connection {
  xcb_connection_t* c = nullptr;
  xcb_ewmh_connection_t ewmh{};
  bool ewmhReady = false;
  int screen = 0;
  xcb_window_t root = XCB_NONE;
  xcb_atom_t wmState = XCB_NONE;
  xcb_window_t clock = XCB_NONE;  // an unmapped window of ours whose property changes tell the server time

  ~Connection() {
    if (c && clock != XCB_NONE) xcb_destroy_window(c, clock);
    if (ewmhReady) xcb_ewmh_connection_wipe(&ewmh);
    if (c) xcb_disconnect(c);
  }
};

X11Windows::X11Windows(const QByteArray& display) : x_(std::make_unique<Connection>()) {
  int screen = 0;
  x_->c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screen);
  if (const int error = xcb_connection_has_error(x_->c)) {
    qCWarning(lcWindows) << "cannot connect to the X display" << (display.isEmpty() ? qgetenv("DISPLAY") : display)
                         << "- error" << error << "; windows cannot be found by title";
    xcb_disconnect(x_->c);
    x_->c = nullptr;
    return;
  }
  x_->screen = screen;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x_->c));
  for (int i = 0; i < screen && it.rem; ++i) xcb_screen_next(&it);
  x_->root = it.data->root;

  xcb_intern_atom_cookie_t* atoms = xcb_ewmh_init_atoms(x_->c, &x_->ewmh);
  const xcb_intern_atom_cookie_t wmState = xcb_intern_atom(x_->c, 0, 8, "WM_STATE");
  x_->ewmhReady = xcb_ewmh_init_atoms_replies(&x_->ewmh, atoms, nullptr) != 0;
  if (!x_->ewmhReady) qCWarning(lcWindows) << "cannot look up the EWMH atoms";
  if (Reply<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(x_->c, wmState, nullptr)}) x_->wmState = reply->atom;
}

X11Windows::~X11Windows() = default;

bool X11Windows::connected() const { return x_->c != nullptr; }

bool X11Windows::windowManagerRunning() {
  if (!connected() || !x_->ewmhReady) return false;
  // The manager names a window of its own on the root, which names itself back; a
  // stale property left by a manager that is gone points at nothing.
  xcb_window_t check = XCB_NONE, self = XCB_NONE;
  if (!xcb_ewmh_get_supporting_wm_check_reply(&x_->ewmh, xcb_ewmh_get_supporting_wm_check(&x_->ewmh, x_->root), &check,
                                              nullptr))
    return false;
  if (!xcb_ewmh_get_supporting_wm_check_reply(&x_->ewmh, xcb_ewmh_get_supporting_wm_check(&x_->ewmh, check), &self,
                                              nullptr))
    return false;
  return self == check;
}

QList<X11Windows::WindowId> X11Windows::candidates() {
  QList<WindowId> found;
  xcb_connection_t* c = x_->c;

  xcb_ewmh_get_windows_reply_t clients{};
  if (windowManagerRunning() &&
      xcb_ewmh_get_client_list_reply(&x_->ewmh, xcb_ewmh_get_client_list(&x_->ewmh, x_->screen), &clients, nullptr)) {
    // Managed windows that are shown or minimised; a withdrawn one is off the screen.
    QList<xcb_get_property_cookie_t> states;
    for (uint32_t i = 0; i < clients.windows_len; ++i)
      states << xcb_get_property(c, 0, clients.windows[i], x_->wmState, x_->wmState, 0, 2);
    for (uint32_t i = 0; i < clients.windows_len; ++i) {
      Reply<xcb_get_property_reply_t> state{xcb_get_property_reply(c, states[i], nullptr)};
      if (!state || state->format != 32 || xcb_get_property_value_length(state.get()) < 4) continue;
      const uint32_t value = *static_cast<const uint32_t*>(xcb_get_property_value(state.get()));
      if (value == kNormalState || value == kIconicState) found << clients.windows[i];
    }
    xcb_ewmh_get_windows_reply_wipe(&clients);
    return found;
  }

  // No manager, or one that keeps no client list (weston's Xwayland manager among them):
  // the top-level windows are the root's children; those not viewable (Qt's helper windows
  // among them) and pop-ups that bypass management are skipped.
  Reply<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(c, xcb_query_tree(c, x_->root), nullptr)};
  if (!tree) {
    qCWarning(lcWindows) << "cannot list the top-level windows";
    return found;
  }
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  QList<xcb_get_window_attributes_cookie_t> attributes;
  for (int i = 0; i < count; ++i) attributes << xcb_get_window_attributes(c, children[i]);
  for (int i = 0; i < count; ++i) {
    Reply<xcb_get_window_attributes_reply_t> a{xcb_get_window_attributes_reply(c, attributes[i], nullptr)};
    if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && !a->override_redirect) found << clientIn(children[i]);
  }
  return found;
}

bool X11Windows::hasWmState(WindowId window) {
  xcb_connection_t* c = x_->c;
  Reply<xcb_get_property_reply_t> state{
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, x_->wmState, x_->wmState, 0, 0), nullptr)};
  return state && state->type == x_->wmState;
}

X11Windows::WindowId X11Windows::clientIn(WindowId topLevel) {
  // A manager reparents each client into a frame of its own and marks the client with
  // WM_STATE; the title is the client's. Unmarked windows (no manager) stand for
  // themselves. The search goes a few levels down, breadth first, as frames nest shallowly.
  if (x_->wmState == XCB_NONE || hasWmState(topLevel)) return topLevel;
  xcb_connection_t* c = x_->c;
  QList<xcb_window_t> level{topLevel};
  for (int depth = 0; depth < 3 && !level.isEmpty(); ++depth) {
    QList<xcb_window_t> next;
    for (xcb_window_t parent : level) {
      Reply<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr)};
      if (!tree) continue;
      const xcb_window_t* children = xcb_query_tree_children(tree.get());
      for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (hasWmState(children[i])) return children[i];
        next << children[i];
      }
    }
    level = next;
  }
  return topLevel;
}

QList<X11Windows::Window> X11Windows::topLevelWindows() {
  QList<Window> windows;
  if (!connected()) return windows;
  const QList<WindowId> ids = candidates();
  xcb_connection_t* c = x_->c;
  // All title requests go out before the first answer is awaited.
  QList<xcb_get_property_cookie_t> netNames, names;
  for (WindowId id : ids) {
    if (x_->ewmhReady) netNames << xcb_ewmh_get_wm_name(&x_->ewmh, id);
    names << xcb_icccm_get_wm_name(c, id);
  }
  for (qsizetype i = 0; i < ids.size(); ++i) {
    QString title;
    bool titled = false;
    xcb_ewmh_get_utf8_strings_reply_t utf8{};
    if (x_->ewmhReady && xcb_ewmh_get_wm_name_reply(&x_->ewmh, netNames[i], &utf8, nullptr)) {
      title = QString::fromUtf8(utf8.strings, utf8.strings_len);
      titled = true;
      xcb_ewmh_get_utf8_strings_reply_wipe(&utf8);
    }
    xcb_icccm_get_text_property_reply_t text{};
    if (xcb_icccm_get_text_property_reply(c, names[i], &text, nullptr)) {
      if (!titled)
        title = text.encoding == x_->ewmh.UTF8_STRING ? QString::fromUtf8(text.name, text.name_len)
                                                      : QString::fromLatin1(text.name, text.name_len);
      xcb_icccm_get_text_property_reply_wipe(&text);
    }
    windows << Window{ids[i], title};
  }
  return windows;
}

std::optional<X11Windows::WindowId> X11Windows::chooseByTitle(const QList<Window>& windows, QStringView title) {
  if (title.isEmpty()) return std::nullopt;
  for (const Window& w : windows)
    if (w.title == title) return w.id;
  for (const Window& w : windows)
    if (w.title.startsWith(title)) return w.id;
  return std::nullopt;
}

std::optional<X11Windows::WindowId> X11Windows::findWindow(QStringView title) {
  return chooseByTitle(topLevelWindows(), title);
}

quint32 X11Windows::serverTime() {
  // The server stamps the notice of a property change with its own time: make one on a
  // window of ours and wait for it.
  xcb_connection_t* c = x_->c;
  if (x_->clock == XCB_NONE) {
    x_->clock = xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, x_->clock, x_->root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  }
  xcb_change_property(c, XCB_PROP_MODE_APPEND, x_->clock, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
  xcb_flush(c);
  while (Reply<xcb_generic_event_t> event{xcb_wait_for_event(c)}) {
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) continue;
    const auto* notice = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
    if (notice->window == x_->clock) return notice->time;
  }
  qCWarning(lcWindows) << "the X connection broke while asking for the server time";
  return XCB_CURRENT_TIME;
}

bool X11Windows::handled() {
  // A flushed request has only reached the connection: a copy that ends at once can close
  // it before the server has read the request, which then goes with the connection (half
  // the time under load). The reply to a later request means the server has handled every
  // request before it, and a manager asked through the root window has been sent its event.
  Reply<xcb_get_input_focus_reply_t> reply{xcb_get_input_focus_reply(x_->c, xcb_get_input_focus(x_->c), nullptr)};
  if (reply) return true;
  qCWarning(lcWindows) << "the X connection broke before the server took the request";
  return false;
}

bool X11Windows::activate(WindowId window) {
  if (!connected()) return false;
  xcb_connection_t* c = x_->c;
  if (windowManagerRunning()) {
    // As a pager asks it: the manager raises the window, restores it when minimised
    // and gives it the keyboard, whichever program has the focus now. The request carries
    // a real time: some managers take a request stamped 0 as a client's bug and only flag
    // the window.
    xcb_ewmh_request_change_active_window(&x_->ewmh, x_->screen, window, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                          serverTime(), XCB_NONE);
    return handled();
  }
  const uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  const xcb_void_cookie_t focus =
      xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
  if (Reply<xcb_generic_error_t> error{xcb_request_check(c, focus)}) {
    qCWarning(lcWindows) << "cannot give window" << Qt::hex << window << "the keyboard: X error" << Qt::dec
                         << error->error_code;
    return false;
  }
  return true;
}

bool X11Windows::activateByTitle(QStringView title) {
  const std::optional<WindowId> window = findWindow(title);
  return window && activate(*window);
}

bool X11Windows::maximize(WindowId window) {
  if (!connected()) return false;
  if (windowManagerRunning()) {
    xcb_ewmh_request_change_wm_state(&x_->ewmh, x_->screen, window, XCB_EWMH_WM_STATE_ADD,
                                     x_->ewmh._NET_WM_STATE_MAXIMIZED_VERT, x_->ewmh._NET_WM_STATE_MAXIMIZED_HORZ,
                                     XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    return handled();
  }
  Reply<xcb_get_geometry_reply_t> root{xcb_get_geometry_reply(x_->c, xcb_get_geometry(x_->c, x_->root), nullptr)};
  if (!root) return false;
  const uint32_t geometry[] = {0, 0, root->width, root->height};
  xcb_configure_window(x_->c, window,
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                       geometry);
  return handled();
}

std::optional<X11Windows::Pointer> X11Windows::pointer() {
  if (!connected()) return std::nullopt;
  Reply<xcb_query_pointer_reply_t> reply{xcb_query_pointer_reply(x_->c, xcb_query_pointer(x_->c, x_->root), nullptr)};
  if (!reply) return std::nullopt;
  return Pointer{QPoint(reply->root_x, reply->root_y), (reply->mask & XCB_BUTTON_MASK_1) != 0};
}
