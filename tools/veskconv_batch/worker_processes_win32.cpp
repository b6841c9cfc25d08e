#include "tools/veskconv_batch/worker_processes.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD READ_CHUNK = 64 * 1024;

HANDLE handle(void* h) { return static_cast<HANDLE>(h); }

bool writeAll(HANDLE pipe, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    if (!::WriteFile(pipe, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr) || put == 0) {
      return false;
    }
    done += put;
  }
  return true;
}

bool readSome(HANDLE pipe, std::string* chunk) {
  chunk->resize(READ_CHUNK);
  DWORD got = 0;
  if (!::ReadFile(pipe, chunk->data(), READ_CHUNK, &got, nullptr) || got == 0) return false;
  chunk->resize(got);
  return true;
}

std::wstring ownProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The C runtime's rules for splitting a command line, reversed.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

std::wstring wide(const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

}  // namespace

bool startWorker(const std::vector<std::string>& arguments, WorkerProcess* worker) {
  const std::wstring program = ownProgram();
  if (program.empty()) return false;
  std::wstring line = quoted(program);
  for (const std::string& argument : arguments) line += L" " + quoted(wide(argument));
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE inRead = nullptr;
  HANDLE inWrite = nullptr;
  HANDLE outRead = nullptr;
  HANDLE outWrite = nullptr;
  if (!::CreatePipe(&inRead, &inWrite, &inherited, 0)) return false;
  if (!::CreatePipe(&outRead, &outWrite, &inherited, 0)) {
    ::CloseHandle(inRead);
    ::CloseHandle(inWrite);
    return false;
  }
  // Only the worker's ends are inherited.
  ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead;
  startup.hStdOutput = outWrite;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  // A group of its own, so that a stop (Ctrl-Break) can be sent to it alone.
  // Such a group ignores Ctrl-C: the console's Ctrl-C reaches the batch,
  // which passes it on as that stop.
  const BOOL started = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                                        nullptr, nullptr, &startup, &process);
  ::CloseHandle(inRead);
  ::CloseHandle(outWrite);
  if (!started) {
    ::CloseHandle(inWrite);
    ::CloseHandle(outRead);
    return false;
  }
  ::CloseHandle(process.hThread);
  worker->process = process.hProcess;
  worker->id = process.dwProcessId;
  worker->input = inWrite;
  worker->output = outRead;
  return true;
}

bool sendToWorker(WorkerProcess& worker, const std::string& bytes) {
  return worker.input != nullptr && writeAll(handle(worker.input), bytes);
}

bool receiveFromWorker(WorkerProcess& worker, std::string* chunk) { return readSome(handle(worker.output), chunk); }

void closeWorkerInput(WorkerProcess& worker) {
  if (worker.input != nullptr) ::CloseHandle(handle(worker.input));
  worker.input = nullptr;
}

void waitForWorker(WorkerProcess& worker) {
  ::WaitForSingleObject(handle(worker.process), INFINITE);
}

void releaseWorker(WorkerProcess& worker) {
  closeWorkerInput(worker);
  if (worker.output != nullptr) ::CloseHandle(handle(worker.output));
  if (worker.process != nullptr) ::CloseHandle(handle(worker.process));
  worker.output = nullptr;
  worker.process = nullptr;
}

void stopWorkers(const std::vector<WorkerProcess>& workers, unsigned graceMilliseconds) {
  for (const WorkerProcess& worker : workers) ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, worker.id);
  for (const WorkerProcess& worker : workers) {
    if (::WaitForSingleObject(handle(worker.process), graceMilliseconds) != WAIT_OBJECT_0) {
      ::TerminateProcess(handle(worker.process), 1);
    }
  }
}

bool readOwnInput(std::string* chunk) { return readSome(::GetStdHandle(STD_INPUT_HANDLE), chunk); }

bool writeOwnOutput(const std::string& bytes) { return writeAll(::GetStdHandle(STD_OUTPUT_HANDLE), bytes); }
