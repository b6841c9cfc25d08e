#include "other_process.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr char HOLD_OPTION[] = "--hold";
constexpr char HELD_ANSWER = 'H';
constexpr DWORD HOLDER_START_MS = 30000;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

struct FileHeldElsewhere::Process {
  PROCESS_INFORMATION info{};
  HANDLE toChild = nullptr;
  HANDLE fromChild = nullptr;
};

FileHeldElsewhere::FileHeldElsewhere(const std::string& path, unsigned access, unsigned shareMode)
    : process_(std::make_unique<Process>()) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE childInput = nullptr;
  HANDLE childOutput = nullptr;
  if (!::CreatePipe(&childInput, &process_->toChild, &inherited, 0)) return;
  if (!::CreatePipe(&process_->fromChild, &childOutput, &inherited, 0)) return;
  ::SetHandleInformation(process_->toChild, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(process_->fromChild, HANDLE_FLAG_INHERIT, 0);

  char program[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string commandLine = quoted(program) + " " + HOLD_OPTION + " " + std::to_string(access) + " " +
                            std::to_string(shareMode) + " " + quoted(path);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childInput;
  startup.hStdOutput = childOutput;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  const BOOL started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process_->info);
  ::CloseHandle(childInput);
  ::CloseHandle(childOutput);
  if (!started) return;
  char answer = 0;
  DWORD got = 0;
  held_ = ::ReadFile(process_->fromChild, &answer, 1, &got, nullptr) && got == 1 && answer == HELD_ANSWER;
}

FileHeldElsewhere::~FileHeldElsewhere() {
  if (process_->toChild != nullptr) ::CloseHandle(process_->toChild);  // the holder's input ends: it lets go
  if (process_->info.hProcess != nullptr) {
    ::WaitForSingleObject(process_->info.hProcess, HOLDER_START_MS);
    ::CloseHandle(process_->info.hProcess);
    ::CloseHandle(process_->info.hThread);
  }
  if (process_->fromChild != nullptr) ::CloseHandle(process_->fromChild);
}

std::optional<int> holdFileIfAsked(int argc, char** argv) {
  constexpr int HOLD_ARGUMENTS = 5;
  if (argc != HOLD_ARGUMENTS || std::strcmp(argv[1], HOLD_OPTION) != 0) return std::nullopt;
  const auto access = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  const auto shareMode = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
  HANDLE file = ::CreateFileA(argv[4], access, shareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD put = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), &HELD_ANSWER, 1, &put, nullptr);
  char ignored = 0;
  DWORD got = 0;
  while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &ignored, 1, &got, nullptr) && got != 0) {
  }
  ::CloseHandle(file);
  return 0;
}

std::string knownRoamingAppData() {
  PWSTR known = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known))) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, known, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> bytes(static_cast<std::size_t>(size > 0 ? size : 1));
    ::WideCharToMultiByte(CP_ACP, 0, known, -1, bytes.data(), size, nullptr, nullptr);
    folder = bytes.data();
  }
  ::CoTaskMemFree(known);
  return folder;
}

void setAppDataVariable(const std::optional<std::string>& value) {
  ::SetEnvironmentVariableA("APPDATA", value ? value->c_str() : nullptr);
}
