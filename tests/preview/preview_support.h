// Pictures of SEG-Y files the program wrote: surveys with known sample
// patterns written by the project's writer, converted by the whole program
// on the headless front end (the window fixture), and PNG files decoded
// again (decode_png.h).
#pragma once

#include "decode_png.h"
#include "program_test.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The stored value of sample i of table position `position` in ping `ping`.
using SamplePattern = std::function<std::uint16_t(int ping, int position, std::uint32_t i)>;

// Sub-channels 0 port and 1 starboard (a pair), 2 subbottom; `samples`
// samples each, of `bytesPerSample` (8-bit channels store the pattern's low
// byte).
vsk::FileSpec pairAndSubbottom(std::uint32_t samples, std::uint16_t bytesPerSample = 2);

// `pings` pings of every channel of spec, each with its table entry's sample
// count and the pattern's values.
bool writePatternSurvey(const std::string& path, const vsk::FileSpec& spec, int pings, const SamplePattern& pattern);

struct Conversion {
  int channelBox = 0;
  bool bigEndian = false;
  bool reverseSamples = false;
};

class PreviewTest : public ProgramTest {
 protected:
  // The whole program converts survey into segy as a user would (the
  // options set whatever the settings file restored), then quits.
  void convert(const std::string& survey, const std::string& segy, const Conversion& conversion);
};
