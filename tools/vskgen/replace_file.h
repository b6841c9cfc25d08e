// Puts a finished file in the place of another in one step: the old file,
// if any, is replaced, never left half-written. Names are the system's
// narrow names (the active code page on Windows), as fopen takes them.
#pragma once

#include <string>

bool replaceFile(const std::string& from, const std::string& to);
