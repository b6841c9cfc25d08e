#include "tools/veskconv_batch/worker_transport.h"

#include <windows.h>

#include <io.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Windows has no poll over pipes: a thread per worker reads what it sends
// and queues it for wait(), which keeps the order of each worker's bytes.
// Workers are started in process groups of their own, so that the console's
// Ctrl-C and Ctrl-Break reach only the batch, which stops them itself.
namespace {

constexpr DWORD READ_CHUNK = 64 * 1024;
constexpr UINT KILLED_EXIT_CODE = 1;

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
  static thread_local std::vector<char> buffer(READ_CHUNK);
  DWORD got = 0;
  if (!::ReadFile(pipe, buffer.data(), READ_CHUNK, &got, nullptr) || got == 0) return false;
  chunk->assign(buffer.data(), got);
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

void closeOnce(HANDLE& handle) {
  if (handle != nullptr) ::CloseHandle(handle);
  handle = nullptr;
}

class Win32Transport final : public WorkerTransport {
 public:
  ~Win32Transport() override {
    for (Process& process : processes_) {
      closeOnce(process.input);
      if (process.reader.joinable()) process.reader.join();
      closeOnce(process.output);
      closeOnce(process.handle);
    }
  }

  int start(const std::vector<std::string>& arguments) override {
    const std::wstring program = ownProgram();
    if (program.empty()) return -1;
    std::wstring line = quoted(program);
    for (const std::string& argument : arguments) line += L" " + quoted(wide(argument));
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead = nullptr;
    HANDLE inWrite = nullptr;
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    if (!::CreatePipe(&inRead, &inWrite, &inherited, 0)) return -1;
    if (!::CreatePipe(&outRead, &outWrite, &inherited, 0)) {
      ::CloseHandle(inRead);
      ::CloseHandle(inWrite);
      return -1;
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
    PROCESS_INFORMATION started{};
    const BOOL ok = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                                     nullptr, nullptr, &startup, &started);
    ::CloseHandle(inRead);
    ::CloseHandle(outWrite);
    if (!ok) {
      ::CloseHandle(inWrite);
      ::CloseHandle(outRead);
      return -1;
    }
    ::CloseHandle(started.hThread);
    std::lock_guard<std::mutex> lock(mutex_);
    processes_.emplace_back();
    Process& process = processes_.back();
    process.handle = started.hProcess;
    process.input = inWrite;
    process.output = outRead;
    const int worker = static_cast<int>(processes_.size()) - 1;
    process.reader = std::thread([this, worker, outRead] {
      std::string chunk;
      while (readSome(outRead, &chunk)) push({WorkerEvent::Kind::Bytes, worker, chunk});
      push({WorkerEvent::Kind::OutputEnded, worker, {}});
    });
    return worker;
  }

  bool send(int worker, const std::string& bytes) override {
    HANDLE input = processAt(worker).input;
    return input != nullptr && writeAll(input, bytes);
  }

  void closeInput(int worker) override { closeOnce(processAt(worker).input); }

  WorkerEvent wait(int timeoutMs) override {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto ready = [this] { return !events_.empty(); };
    if (timeoutMs < 0) {
      changed_.wait(lock, ready);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
      return {WorkerEvent::Kind::TimedOut, -1, {}};
    }
    WorkerEvent event = std::move(events_.front());
    events_.pop_front();
    return event;
  }

  void wake() override { push({WorkerEvent::Kind::Woken, -1, {}}); }

  void kill(int worker) override {
    std::lock_guard<std::mutex> lock(mutex_);
    HANDLE handle = processes_.at(static_cast<std::size_t>(worker)).handle;
    if (handle != nullptr) ::TerminateProcess(handle, KILLED_EXIT_CODE);
  }

  void killAll() override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Process& process : processes_) {
      if (process.handle != nullptr) ::TerminateProcess(process.handle, KILLED_EXIT_CODE);
    }
  }

  WorkerEnd reap(int worker) override {
    Process& process = processAt(worker);
    closeOnce(process.input);
    if (process.reader.joinable()) process.reader.join();
    ::WaitForSingleObject(process.handle, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.handle, &code);
    std::lock_guard<std::mutex> lock(mutex_);
    closeOnce(process.output);
    closeOnce(process.handle);
    return {false, code};
  }

 private:
  struct Process {
    HANDLE handle = nullptr;
    HANDLE input = nullptr;   // our end of its stdin
    HANDLE output = nullptr;  // our end of its stdout
    std::thread reader;
  };

  Process& processAt(int worker) {
    std::lock_guard<std::mutex> lock(mutex_);
    return processes_.at(static_cast<std::size_t>(worker));
  }

  void push(WorkerEvent event) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      events_.push_back(std::move(event));
    }
    changed_.notify_one();
  }

  // Guards the queue and the handles, which other threads end workers by.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<WorkerEvent> events_;
  std::deque<Process> processes_;  // a deque: a started worker's entry never moves
};

}  // namespace

std::unique_ptr<WorkerTransport> systemWorkerTransport() { return std::make_unique<Win32Transport>(); }

bool inputIsTerminal() { return ::_isatty(0) != 0; }

bool readOwnInput(std::string* chunk) { return readSome(::GetStdHandle(STD_INPUT_HANDLE), chunk); }

bool writeOwnOutput(const std::string& bytes) { return writeAll(::GetStdHandle(STD_OUTPUT_HANDLE), bytes); }
