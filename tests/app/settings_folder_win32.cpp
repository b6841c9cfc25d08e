#include "settings_folder.h"

#include <windows.h>

std::filesystem::path redirectSettings(const std::filesystem::path& root) {
  const std::filesystem::path folder = root / "VESKCONV";
  std::filesystem::create_directories(folder);
  ::SetEnvironmentVariableW(L"APPDATA", root.wstring().c_str());
  return folder;
}
