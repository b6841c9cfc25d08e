// What the dialogs' rules, the settings file and the batch ask of paths and
// the file system. The queries are each system's own (path_queries_posix.cpp,
// path_queries_win32.cpp); the names' rules are one (path_queries.cpp). Any thread.
#pragma once

#include <optional>
#include <string>

// A path's folder ("." when it names none; a root keeps its separator: "/",
// and on Windows "C:\" and "\\?\C:\"), its last component, and a name in a
// folder. Either separator on Windows, '/' elsewhere. Names only: no call.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);
std::string inFolder(const std::string& folder, const std::string& name);

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
