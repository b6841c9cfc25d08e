#include "platform/path_queries.h"

#include <windows.h>

// Names are the active code page's bytes, as everywhere in the program.
namespace {

DWORD attributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

}  // namespace

bool pathIsFolder(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool pathExists(const std::string& path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }
