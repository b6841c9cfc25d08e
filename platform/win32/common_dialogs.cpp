#include "platform/win32/common_dialogs.h"

#include "platform/code_page_text.h"

#include <commdlg.h>

#include <string>
#include <vector>

namespace native {

namespace {

// Room for the longest name a dialog returns; the program's own limit (its
// 260-byte buffer) is applied by the portable layer afterwards.
constexpr DWORD NAME_CHARACTERS = 32768;

constexpr wchar_t UNUSABLE_NAME_FORMAT[] =
    L"%ls\n\nThis name has characters that the system's code page (%u) cannot hold, so VESKCONV "
    L"cannot open the file by it.\nRename the file or its folder, or choose another file.";

// Each display text and pattern ends with a terminator, and one more ends the list.
std::wstring filterText(const FileNameRequest& request) {
  std::wstring filter;
  for (const auto& [display, pattern] : request.filters) {
    filter += codepage::toWide(display);
    filter += L'\0';
    filter += codepage::toWide(pattern);
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

}  // namespace

void refuseName(HWND owner, const std::wstring& name, const std::wstring& title) {
  std::vector<wchar_t> text(name.size() + sizeof UNUSABLE_NAME_FORMAT / sizeof(wchar_t) + 16);
  ::swprintf(text.data(), text.size(), UNUSABLE_NAME_FORMAT, name.c_str(), codepage::active());
  ::MessageBoxW(owner, text.data(), title.c_str(), MB_OK | MB_ICONWARNING);
}

std::optional<std::string> chooseFileName(HWND owner, const FileNameRequest& request) {
  const std::wstring filter = filterText(request);
  const std::wstring title = codepage::toWide(request.title);
  const std::wstring defaultExtension = codepage::toWide(request.defaultExtension);
  std::wstring initialName = codepage::toWide(request.initialName);
  for (;;) {
    std::vector<wchar_t> name(NAME_CHARACTERS, L'\0');
    initialName.copy(name.data(), name.size() - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = NAME_CHARACTERS;
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.Flags = request.flags;
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    const BOOL chosen = request.save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen) return std::nullopt;
    const std::wstring picked(name.data());
    if (std::optional<std::string> bytes = codepage::fromWide(picked)) return bytes;
    refuseName(owner, picked, title);
    initialName = picked;
  }
}

}  // namespace native
