#include "platform/qt/fixed_size_hints.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr char XCB_PLATFORM[] = "xcb";
constexpr char MOTIF_HINTS_ATOM[] = "_MOTIF_WM_HINTS";
constexpr std::uint32_t HINT_FIELDS = 5;  // flags, functions, decorations, input mode, status
constexpr std::uint32_t HINTS_FUNCTIONS = 1U << 0;
constexpr std::uint32_t HINTS_DECORATIONS = 1U << 1;
constexpr std::uint32_t FUNC_ALL = 1U << 0;
constexpr std::uint32_t FUNC_RESIZE = 1U << 1;
constexpr std::uint32_t FUNC_MOVE = 1U << 2;
constexpr std::uint32_t FUNC_MINIMIZE = 1U << 3;
constexpr std::uint32_t FUNC_MAXIMIZE = 1U << 4;
constexpr std::uint32_t FUNC_CLOSE = 1U << 5;
constexpr std::uint32_t DECOR_RESIZE_HANDLES = 1U << 2;
constexpr std::uint32_t DECOR_MAXIMIZE = 1U << 6;
constexpr std::uint32_t FORMAT_32 = 32;

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};

}  // namespace

void keepSizeFixed(QWidget* window) {
  // Other platforms (offscreen) may offer the interface without an X server behind it.
  if (QGuiApplication::platformName() != QLatin1String(XCB_PLATFORM)) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 == nullptr ? nullptr : x11->connection();
  if (connection == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, sizeof MOTIF_HINTS_ATOM - 1, MOTIF_HINTS_ATOM), nullptr));
  if (!atom) return;

  std::uint32_t hints[HINT_FIELDS] = {};
  const std::unique_ptr<xcb_get_property_reply_t, FreeReply> current(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, id, atom->atom, atom->atom, 0, HINT_FIELDS), nullptr));
  if (current && current->format == FORMAT_32 &&
      xcb_get_property_value_length(current.get()) >= static_cast<int>(sizeof hints)) {
    std::memcpy(hints, xcb_get_property_value(current.get()), sizeof hints);
  }
  // "All" means all but those listed, so the functions are spelt out instead.
  std::uint32_t functions = hints[1];
  if ((hints[0] & HINTS_FUNCTIONS) == 0 || (functions & FUNC_ALL) != 0) {
    functions = FUNC_RESIZE | FUNC_MOVE | FUNC_MINIMIZE | FUNC_MAXIMIZE | FUNC_CLOSE;
  }
  hints[0] |= HINTS_FUNCTIONS;
  hints[1] = functions & ~(FUNC_RESIZE | FUNC_MAXIMIZE);
  if ((hints[0] & HINTS_DECORATIONS) != 0) hints[2] &= ~(DECOR_RESIZE_HANDLES | DECOR_MAXIMIZE);
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom->atom, atom->atom, FORMAT_32, HINT_FIELDS, hints);
  xcb_flush(connection);
}
