#include "platform/dialogs.h"

#include "platform/front_end.h"
#include "platform/path_queries.h"

#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr const char* DEFAULT_CAPTION = "Error";
constexpr const char* DEFAULT_OPEN_TITLE = "Open";
constexpr const char* DEFAULT_SAVE_TITLE = "Save As";
constexpr const char* FILE_NOT_FOUND_TEXT = "\nFile not found.\nCheck the file name and try again.";
constexpr const char* PATH_NOT_FOUND_TEXT = "\nPath does not exist.\nCheck the path and try again.";
constexpr char SEPARATOR = '/';

// Pairs of zero-terminated strings, ended by an empty display text. A pair
// without a pattern ends the list too, so nothing is read past it.
std::vector<std::pair<std::string, std::string>> parseFilter(LPCSTR filter) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (filter == nullptr) return pairs;
  const char* cursor = filter;
  while (*cursor != '\0') {
    const std::string display = cursor;
    cursor += display.size() + 1;
    if (*cursor == '\0') break;
    const std::string pattern = cursor;
    cursor += pattern.size() + 1;
    pairs.emplace_back(display, pattern);
  }
  return pairs;
}

std::string::size_type lastComponent(const std::string& path) {
  const auto slash = path.rfind(SEPARATOR);
  return slash == std::string::npos ? 0 : slash + 1;
}

bool hasExtension(const std::string& path) { return path.find('.', lastComponent(path)) != std::string::npos; }

FileDialogRequest requestFrom(const OPENFILENAMEA& dialog, bool save) {
  FileDialogRequest request;
  request.save = save;
  request.title = dialog.lpstrTitle != nullptr ? dialog.lpstrTitle : save ? DEFAULT_SAVE_TITLE : DEFAULT_OPEN_TITLE;
  request.initialName.assign(dialog.lpstrFile, strnlen(dialog.lpstrFile, dialog.nMaxFile));
  request.filters = parseFilter(dialog.lpstrFilter);
  if (dialog.lpstrDefExt != nullptr) request.defaultExtension = dialog.lpstrDefExt;
  request.flags = dialog.Flags;
  request.maxFile = dialog.nMaxFile;
  return request;
}

// A name typed in double quotes is taken as it stands, without the default
// extension, as Windows' dialogs take it.
bool unquote(std::string& path) {
  if (path.size() < 2 || path.front() != '"' || path.back() != '"') return false;
  path = path.substr(1, path.size() - 2);
  return true;
}

// The default extension goes to a name typed without one; names being
// case-insensitive on Windows, "line7" then also finds an existing
// "line7.vsk" when "line7.VSK" does not exist.
void addDefaultExtension(std::string& path, const std::string& extension) {
  if (extension.empty() || hasExtension(path)) return;
  path += "." + extension;
  if (pathExists(path)) return;
  if (const std::optional<std::string> found = findNameIgnoringCase(path)) path = *found;
}

// The rules Windows applies around the dialog; every refusal asks again,
// starting from what was typed.
BOOL runFileDialog(OPENFILENAMEA* dialog, bool save) {
  if (dialog == nullptr || dialog->lpstrFile == nullptr || dialog->nMaxFile == 0) return FALSE;
  FileDialogRequest request = requestFrom(*dialog, save);
  for (;;) {
    std::string path;
    if (!frontEnd().askFileName(dialog->hwndOwner, request, &path)) return FALSE;
    const bool quoted = unquote(path);
    // A folder is entered, not chosen.
    if (path.empty() || pathIsFolder(path)) {
      request.initialName = path;
      continue;
    }
    if (!quoted) addDefaultExtension(path, request.defaultExtension);
    if (path.size() + 1 > dialog->nMaxFile) return FALSE;
    request.initialName = path;
    if (pathIsFolder(path)) continue;
    if ((request.flags & OFN_PATHMUSTEXIST) != 0 && !pathIsFolder(folderOf(path))) {
      MessageBoxA(dialog->hwndOwner, (path + PATH_NOT_FOUND_TEXT).c_str(), request.title.c_str(), MB_ICONWARNING);
      continue;
    }
    if ((request.flags & OFN_FILEMUSTEXIST) != 0 && !pathExists(path)) {
      MessageBoxA(dialog->hwndOwner, (path + FILE_NOT_FOUND_TEXT).c_str(), request.title.c_str(), MB_ICONWARNING);
      continue;
    }
    if (save && (request.flags & OFN_OVERWRITEPROMPT) != 0 && pathExists(path) &&
        !frontEnd().confirmOverwrite(dialog->hwndOwner, path)) {
      continue;
    }
    std::memcpy(dialog->lpstrFile, path.c_str(), path.size() + 1);
    return TRUE;
  }
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return frontEnd().showMessageBox(owner, text == nullptr ? "" : text, caption == nullptr ? DEFAULT_CAPTION : caption,
                                   type);
}

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog) { return runFileDialog(dialog, false); }

BOOL GetSaveFileNameA(OPENFILENAMEA* dialog) { return runFileDialog(dialog, true); }
