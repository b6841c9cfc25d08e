#include "tools/vskgen/replace_file.h"

#include <windows.h>

// The runtime's rename refuses an existing target on Windows.
bool replaceFile(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
