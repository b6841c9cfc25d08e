// The cost per ping of the five processing-information texts (the ping
// number and four positions, in metres and in degrees): our formatter
// against snprintf with the C library's formats, on the positions of a
// survey line. Rounds alternate the two; the best round of each counts.
//
//   number_text_bench [pings] [rounds]     (default 1000000 pings, 7 rounds)
#include "app/number_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string_view>
#include <vector>

namespace {

constexpr long DEFAULT_PINGS = 1000000;
constexpr int DEFAULT_ROUNDS = 7;
constexpr std::size_t SNPRINTF_TEXT_BYTES = 64;  // the engine's buffer before
constexpr std::size_t TEXT_BYTES = 4 + FIXED_TEXT_BYTES + 1;
constexpr double NANO = 1e9;

struct Position {
  double shipX, shipY, sensorX, sensorY;
};

struct Text {
  std::string_view prefix;
  const char* printfFormat;
  FixedFormat format;
};

constexpr Text METRES[] = {{"E=", "E=%010.2f", {10, 2}}, {"N=", "N=%010.2f", {10, 2}}};
constexpr Text DEGREES[] = {{"Lat=", "Lat=%010.6f", {10, 6}}, {"Lon=", "Lon=%09.6f", {9, 6}}};

// A ship on a line, a sensor towed behind it: the values vary in their last
// digits as a survey's do.
std::vector<Position> surveyLine(long pings, bool degrees) {
  std::mt19937_64 random(1);
  std::normal_distribution<double> jitter(0.0, degrees ? 1e-6 : 0.05);
  std::vector<Position> line;
  const double x0 = degrees ? 10.123456 : 512345.67;
  const double y0 = degrees ? 57.654321 : 6345678.9;
  const double step = degrees ? 2e-6 : 0.2;
  for (long ping = 0; ping < pings; ++ping) {
    const double along = static_cast<double>(ping) * step;
    line.push_back({x0 + along + jitter(random), y0 + along / 2 + jitter(random),
                    x0 + along - step * 100 + jitter(random), y0 + along / 2 - step * 50 + jitter(random)});
  }
  return line;
}

// What a text update hands on: its length and last byte, so nothing is left out.
unsigned consumed(const char* text, std::size_t length) {
  return static_cast<unsigned>(length) + static_cast<unsigned char>(text[length - 1]);
}

unsigned withSnprintf(const std::vector<Position>& line, const Text (&texts)[2]) {
  unsigned sum = 0;
  char text[SNPRINTF_TEXT_BYTES];
  long ping = 0;
  for (const Position& at : line) {
    sum += consumed(text, static_cast<std::size_t>(std::snprintf(text, sizeof text, "%ld", ++ping)));
    for (const auto& [value, shown] : {std::pair{at.shipX, &texts[0]}, std::pair{at.shipY, &texts[1]},
                                       std::pair{at.sensorX, &texts[0]}, std::pair{at.sensorY, &texts[1]}}) {
      sum += consumed(text, static_cast<std::size_t>(std::snprintf(text, sizeof text, shown->printfFormat, value)));
    }
  }
  return sum;
}

unsigned withNumberText(const std::vector<Position>& line, const Text (&texts)[2]) {
  unsigned sum = 0;
  char text[TEXT_BYTES];
  char* const textEnd = std::end(text) - 1;
  long ping = 0;
  for (const Position& at : line) {
    char* end = writeLong(text, textEnd, ++ping);
    *end = '\0';
    sum += consumed(text, static_cast<std::size_t>(end - text));
    for (const auto& [value, shown] : {std::pair{at.shipX, &texts[0]}, std::pair{at.shipY, &texts[1]},
                                       std::pair{at.sensorX, &texts[0]}, std::pair{at.sensorY, &texts[1]}}) {
      char* number = std::copy(shown->prefix.begin(), shown->prefix.end(), text);
      end = writeFixed(number, textEnd, value, shown->format);
      *end = '\0';
      sum += consumed(text, static_cast<std::size_t>(end - text));
    }
  }
  return sum;
}

double nanosecondsPerPing(unsigned (*form)(const std::vector<Position>&, const Text (&)[2]),
                          const std::vector<Position>& line, const Text (&texts)[2], unsigned* sum) {
  const auto start = std::chrono::steady_clock::now();
  *sum = form(line, texts);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return seconds * NANO / static_cast<double>(line.size());
}

}  // namespace

int main(int argc, char** argv) {
  const long pings = argc > 1 ? std::max(1L, std::atol(argv[1])) : DEFAULT_PINGS;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : DEFAULT_ROUNDS;
  for (const bool degrees : {false, true}) {
    const std::vector<Position> line = surveyLine(pings, degrees);
    const Text(&texts)[2] = degrees ? DEGREES : METRES;
    double before = 1e300;
    double after = 1e300;
    unsigned beforeSum = 0;
    unsigned afterSum = 0;
    for (int round = 0; round < rounds; ++round) {
      before = std::min(before, nanosecondsPerPing(withSnprintf, line, texts, &beforeSum));
      after = std::min(after, nanosecondsPerPing(withNumberText, line, texts, &afterSum));
    }
    std::printf(
        "%s, %ld pings, best of %d rounds: snprintf %.0f ns/ping, number text %.0f ns/ping (%.1f x as fast)%s\n",
        degrees ? "degrees" : "metres", pings, rounds, before, after, before / after,
        beforeSum == afterSum ? "" : "  TEXTS DIFFER");
  }
  return 0;
}
