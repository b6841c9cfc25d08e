// Windows only: texts between the program's bytes (the active code page, as
// the A functions take them) and the wide strings of Windows' W functions.
// Plain C++ types, so both sides of the <windows.h> divide may use it. Any
// thread.
#pragma once

#include <optional>
#include <string>

namespace codepage {

std::wstring toWide(const std::string& bytes);
// nullopt when the code page cannot hold every character: a name must never
// be replaced by a look-alike or a '?'.
std::optional<std::string> fromWide(const std::wstring& text);
unsigned active();

}  // namespace codepage
