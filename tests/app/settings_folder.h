// Where the program under test keeps its settings: in a folder of the
// test's own, through the system's own setting (XDG_CONFIG_HOME on Linux,
// APPDATA on Windows). Returns the folder the settings file will be in,
// created.
#pragma once

#include <filesystem>

std::filesystem::path redirectSettings(const std::filesystem::path& root);
