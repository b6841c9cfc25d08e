#include "settings_folder.h"

#include <cstdlib>

std::filesystem::path redirectSettings(const std::filesystem::path& root) {
  std::filesystem::create_directories(root);
  ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
  return root;
}
