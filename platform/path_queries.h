// What the dialogs' rules ask of the file system, kept apart so that each
// system answers in its own way. Any thread.
#pragma once

#include <string>

bool pathIsFolder(const std::string& path);
bool pathExists(const std::string& path);
