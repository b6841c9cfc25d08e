// How the benchmarks time a command so that its figure can be trusted on a
// virtual machine that hands freed memory back to its host about 2 s after it
// is freed (page-cache writes into such pages cost several times more):
// before every timed command, untimed, the inputs are read into the page
// cache (or every cache is dropped, for a cold run), dirty pages are written
// back and a few GiB of anonymous memory are touched and freed, so the timed
// writes find pages the host has not taken back. Variants are interleaved
// (A B, B A, ...) and compared as ratios within each round.
//
// Main thread of a benchmark program; Linux.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

enum class Cache { Warm, Cold };

// Cold runs need to drop the page cache: root only.
bool canDropCaches();

// The untimed preparation above. Cold: `inputs` are not read, every cache is
// dropped instead.
void settle(const std::vector<std::string>& inputs, Cache cache);

double secondsOf(const std::function<void()>& work);

// settle, then the seconds of `work`.
double settledSecondsOf(const std::vector<std::string>& inputs, Cache cache, const std::function<void()>& work);

// Each variant returns the seconds of its timed part (and settles itself).
// `rounds` rounds of all variants, in order and in reverse order by turns;
// the result holds seconds[variant][round].
using Variant = std::function<double()>;
std::vector<std::vector<double>> interleaved(const std::vector<Variant>& variants, int rounds);

// Per round: of[round] / baseline[round].
std::vector<double> ratiosPerRound(const std::vector<double>& of, const std::vector<double>& baseline);

struct Spread {
  std::size_t n = 0;
  double median = 0.0;
  double lowest = 0.0;
  double highest = 0.0;
};
Spread spreadOf(std::vector<double> values);

// A program run with its output thrown away, waited for with its resource use.
struct ChildRun {
  int exitStatus = -1;  // -1: did not start or did not exit
  double seconds = 0.0;
  double cpuSeconds = 0.0;              // user + system, its own and its descendants' (wait4)
  std::uint64_t peakResidentBytes = 0;  // its own and its descendants' (wait4)
};

// User + system seconds of this process so far, all its threads.
double processCpuSeconds();

// Runs programs from a small process forked when it is constructed: the
// kernel carries a process's peak resident memory across exec, so a program
// started by the benchmark itself would report the benchmark's own peak
// (which the memory touched by settle makes gigabytes). Construct it first
// thing in main, before any thread or large allocation; one thread uses it.
class ChildRunner {
 public:
  ChildRunner();
  ~ChildRunner();
  ChildRunner(const ChildRunner&) = delete;
  ChildRunner& operator=(const ChildRunner&) = delete;

  ChildRun run(const std::vector<std::string>& command);
  // The launching process's own peak: no program's reading can be lower.
  std::uint64_t floorBytes() const;

 private:
  int launcher_ = -1;
  int requests_ = -1;
  int answers_ = -1;
};

// What a program writes to stdout and stderr, up to its end.
std::string outputOf(const std::vector<std::string>& command);

}  // namespace bench
