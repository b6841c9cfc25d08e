// What the dialogs' rules and the settings file ask of the file system, kept
// apart so that each system answers in its own way. Any thread.
#pragma once

#include <optional>
#include <string>

bool pathIsFolder(const std::string& path);
bool pathExists(const std::string& path);

// The one entry of the path's folder whose name equals the path's last
// component ignoring the case of ASCII letters, as a path; nullopt when there
// is none or more than one. Where names ignore case already, nullopt.
std::optional<std::string> findNameIgnoringCase(const std::string& path);

// Where a write to path lands: a symbolic link is followed to its final
// target, even when that target does not exist yet. The path itself when it
// is no link, or when the links loop.
std::string followLinks(const std::string& path);
