#include "bench/timing_method.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

extern char** environ;

namespace bench {

namespace {

constexpr const char* DROP_CACHES = "/proc/sys/vm/drop_caches";
constexpr const char* DROP_EVERY_CACHE = "3";
constexpr std::size_t READ_CHUNK = std::size_t{1} << 20;
// More than a timed command writes to the page cache (~1 GiB at most), well
// within the machine's memory.
constexpr std::size_t TOUCHED_BYTES = std::size_t{5} << 29;
constexpr std::uint64_t KIB = 1024;
constexpr double MICROSECONDS_PER_SECOND = 1e6;
constexpr std::size_t OUTPUT_CHUNK = 4096;
constexpr std::size_t STATUS_LINE_BYTES = 256;

void readIntoPageCache(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  std::vector<char> chunk(READ_CHUNK);
  while (::read(fd, chunk.data(), chunk.size()) > 0) {
  }
  ::close(fd);
}

bool dropCaches() {
  std::FILE* control = std::fopen(DROP_CACHES, "w");
  if (control == nullptr) return false;
  const bool written = std::fputs(DROP_EVERY_CACHE, control) >= 0;
  return std::fclose(control) == 0 && written;
}

// Written page by page so that every page is really taken from the host.
void touchAnonymousMemory() {
  void* memory = ::mmap(nullptr, TOUCHED_BYTES, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  auto* bytes = static_cast<volatile unsigned char*>(memory);
  for (std::size_t at = 0; at < TOUCHED_BYTES; at += page) bytes[at] = 1;
  ::munmap(memory, TOUCHED_BYTES);
}

std::vector<char*> argumentsOf(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  return argv;
}

bool readAll(int fd, void* into, std::size_t bytes) {
  auto* at = static_cast<char*>(into);
  while (bytes > 0) {
    const ssize_t got = ::read(fd, at, bytes);
    if (got <= 0) return false;
    at += got;
    bytes -= static_cast<std::size_t>(got);
  }
  return true;
}

bool writeAll(int fd, const void* from, std::size_t bytes) {
  const auto* at = static_cast<const char*>(from);
  while (bytes > 0) {
    const ssize_t put = ::write(fd, at, bytes);
    if (put <= 0) return false;
    at += put;
    bytes -= static_cast<std::size_t>(put);
  }
  return true;
}

double secondsIn(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / MICROSECONDS_PER_SECOND;
}

ChildRun runChild(const std::vector<std::string>& command) {
  std::vector<char*> argv = argumentsOf(command);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  struct rusage usage = {};
  ::wait4(child, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.cpuSeconds = secondsIn(usage.ru_utime) + secondsIn(usage.ru_stime);
  run.peakResidentBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * KIB;
  return run;
}

// The launcher's loop: a command (its size, then each word as its length and
// bytes) in, its ChildRun out, until the benchmark closes the pipe.
void serveRequests(int requests, int answers) {
  std::uint32_t size = 0;
  while (readAll(requests, &size, sizeof size)) {
    std::string request(size, '\0');
    if (!readAll(requests, request.data(), size)) return;
    std::vector<std::string> command;
    for (std::size_t at = 0; at + sizeof(std::uint32_t) <= request.size();) {
      std::uint32_t length = 0;
      std::memcpy(&length, request.data() + at, sizeof length);
      at += sizeof length;
      command.push_back(request.substr(at, length));
      at += length;
    }
    const ChildRun run = runChild(command);
    if (!writeAll(answers, &run, sizeof run)) return;
  }
}

}  // namespace

double processCpuSeconds() {
  struct rusage usage = {};
  ::getrusage(RUSAGE_SELF, &usage);
  return secondsIn(usage.ru_utime) + secondsIn(usage.ru_stime);
}

bool canDropCaches() { return ::geteuid() == 0 && ::access(DROP_CACHES, W_OK) == 0; }

void settle(const std::vector<std::string>& inputs, Cache cache) {
  if (cache == Cache::Warm) {
    for (const std::string& input : inputs) readIntoPageCache(input);
  }
  ::sync();
  if (cache == Cache::Cold && !dropCaches()) std::fprintf(stderr, "could not drop the page cache\n");
  touchAnonymousMemory();
}

double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double settledSecondsOf(const std::vector<std::string>& inputs, Cache cache, const std::function<void()>& work) {
  settle(inputs, cache);
  return secondsOf(work);
}

std::vector<std::vector<double>> interleaved(const std::vector<Variant>& variants, int rounds) {
  std::vector<std::vector<double>> seconds(variants.size());
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t step = 0; step < variants.size(); ++step) {
      const std::size_t variant = round % 2 == 0 ? step : variants.size() - 1 - step;
      seconds[variant].push_back(variants[variant]());
    }
  }
  return seconds;
}

std::vector<double> ratiosPerRound(const std::vector<double>& of, const std::vector<double>& baseline) {
  std::vector<double> ratios;
  for (std::size_t round = 0; round < std::min(of.size(), baseline.size()); ++round) {
    ratios.push_back(of[round] / baseline[round]);
  }
  return ratios;
}

Spread spreadOf(std::vector<double> values) {
  Spread spread;
  if (values.empty()) return spread;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  spread.n = values.size();
  spread.median = values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
  spread.lowest = values.front();
  spread.highest = values.back();
  return spread;
}

ChildRunner::ChildRunner() {
  int requests[2];
  int answers[2];
  if (::pipe2(requests, O_CLOEXEC) != 0) return;
  if (::pipe2(answers, O_CLOEXEC) != 0) {
    ::close(requests[0]);
    ::close(requests[1]);
    return;
  }
  const pid_t launcher = ::fork();
  if (launcher == 0) {
    ::close(requests[1]);
    ::close(answers[0]);
    serveRequests(requests[0], answers[1]);
    ::_exit(0);
  }
  ::close(requests[0]);
  ::close(answers[1]);
  if (launcher < 0) {
    ::close(requests[1]);
    ::close(answers[0]);
    return;
  }
  launcher_ = launcher;
  requests_ = requests[1];
  answers_ = answers[0];
}

ChildRunner::~ChildRunner() {
  if (launcher_ < 0) return;
  ::close(requests_);
  ::close(answers_);
  ::waitpid(launcher_, nullptr, 0);
}

ChildRun ChildRunner::run(const std::vector<std::string>& command) {
  ChildRun run;
  std::string request;
  for (const std::string& word : command) {
    const auto length = static_cast<std::uint32_t>(word.size());
    request.append(reinterpret_cast<const char*>(&length), sizeof length);
    request += word;
  }
  const auto size = static_cast<std::uint32_t>(request.size());
  request.insert(0, reinterpret_cast<const char*>(&size), sizeof size);
  if (launcher_ < 0 || !writeAll(requests_, request.data(), request.size()) || !readAll(answers_, &run, sizeof run)) {
    return ChildRun{};
  }
  return run;
}

std::uint64_t ChildRunner::floorBytes() const {
  if (launcher_ < 0) return 0;
  std::FILE* status = std::fopen(("/proc/" + std::to_string(launcher_) + "/status").c_str(), "r");
  if (status == nullptr) return 0;
  char line[STATUS_LINE_BYTES];
  unsigned long long kib = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %llu kB", &kib) == 1) break;
  }
  std::fclose(status);
  return kib * KIB;
}

std::string outputOf(const std::vector<std::string>& command) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return {};
  std::vector<char*> argv = argumentsOf(command);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  std::string output;
  if (spawned == 0) {
    char chunk[OUTPUT_CHUNK];
    ssize_t got = 0;
    while ((got = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0) output.append(chunk, static_cast<std::size_t>(got));
    ::waitpid(child, nullptr, 0);
  }
  ::close(pipeEnds[0]);
  return output;
}

}  // namespace bench
