// A text picture of the windows, for scripts that drive the program from
// outside (the desktop smoke test): when the environment variable
// VESK_QT_DUMP names a file, the front end rewrites it after the model
// changed, whole (written aside, then renamed). Off otherwise. Main thread.
//
// One line per item, fields separated by tabs:
//   window  <title>  <left> <top> <right> <bottom>   (outer rectangle)
//   control <id> <x> <y> <width> <height> <enabled> <checked> <progress> <text>
//   menu    <id> <checked> <grayed>
// Positions are screen pixels; texts as shown (platform/qt/byte_names.h).
#pragma once

#include <string>
#include <vector>

class WindowView;

inline constexpr const char* WINDOW_DUMP_VARIABLE = "VESK_QT_DUMP";

class WindowDump {
 public:
  WindowDump();

  bool enabled() const { return !path_.empty(); }
  void write(const std::vector<const WindowView*>& views) const;

 private:
  std::string path_;
};
