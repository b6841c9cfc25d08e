// A text picture of the windows, for scripts that drive the program from
// outside (the desktop smoke test): when the environment variable
// VESK_QT_DUMP names a file, the front end rewrites it after the model
// changed and while a file dialog changes, whole (written aside, then
// renamed). Off otherwise. Main thread.
//
// One line per item, fields separated by tabs:
//   window  <title> <left> <top> <right> <bottom>    (the model's outer rectangle)
//           <left> <top> <right> <bottom>            (where it is shown)
//   control <id> <x> <y> <width> <height> <enabled> <checked> <progress>
//           <line spacing> <text> <shown>            (progress as the bar shows
//                                                     it; shown: the lines drawn)
//   menu    <id> <checked> <grayed> <checkable>
// and while a file dialog is up:
//   dialog  <title> <folder> <x> <y> <width> <height>   (outer rectangle)
//   dialogitem <name> <x> <y> <width> <height> <text>   (location, back, up, fileName, fileType, status)
//   place   <label> <x> <y> <width> <height> <folder>
//   entry   <name> <x> <y> <width> <height>              (list rows in view)
// Positions are screen pixels, those within the dialog from its client
// area's top-left: a window manager may place a dialog without Qt hearing
// of it, so a script adds where the X server has the dialog. Texts as shown
// (platform/qt/byte_names.h), line feeds and tabs as \x0A and \x09.
#pragma once

#include <string>
#include <vector>

class FileNameDialog;
class WindowView;

inline constexpr const char* WINDOW_DUMP_VARIABLE = "VESK_QT_DUMP";

class WindowDump {
 public:
  WindowDump();

  bool enabled() const { return !path_.empty(); }
  // dialog: the file dialog that is up, or nullptr.
  void write(const std::vector<const WindowView*>& views, const FileNameDialog* dialog) const;

 private:
  std::string path_;
};
