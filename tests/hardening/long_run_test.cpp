// Long runs: 200 conversions in one process with a heap that does not grow,
// and an input of more than 4 GiB converted to its end. The large input is
// sparse: each ping holds a small channel to convert and a large channel
// that is a hole in the file, so it takes little disk and gives a small
// SEG-Y file.
#include "hardening_support.h"

#include "core/converter_context.h"
#include "res/resource_ids.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>

namespace {

using hardening::segySize;
using survey_files::channel;
using survey_files::PORT;
using survey_files::STARBOARD;
using survey_files::SUBBOTTOM;

constexpr int CONVERSIONS = 200;
constexpr int SETTLED_CONVERSION = 10;
// Room for what may move between two conversions (texts, the reader's record
// buffer of one file or another); a leak of one trace buffer or one record per
// conversion would be far above it after 190 runs.
constexpr std::uint64_t HEAP_GROWTH_BOUND = 128 * 1024;

struct Survey {
  std::string name;
  vsk::FileSpec spec;
  int pings;
  std::vector<int> boxes;  // the channel sets it offers
};

vsk::FileSpec eightBitDegrees() {
  vsk::FileSpec spec;
  spec.navigationUnits = 1;
  spec.sonarChannels = {channel(PORT, 0, 100.0f, 150, 1), channel(STARBOARD, 1, 100.0f, 150, 1),
                        channel(SUBBOTTOM, 2, 3.5f, 90)};
  return spec;
}

vsk::FileSpec fourPairs() {
  vsk::FileSpec spec;
  for (std::uint8_t k = 0; k < MAX_CHANNELS; ++k) {
    spec.sonarChannels.push_back(channel(k % 2 == 0 ? PORT : STARBOARD, k, 100.0f + 100.0f * (k / 2), 40));
  }
  return spec;
}

const std::vector<Survey>& surveys() {
  static const std::vector<Survey> all = {
      {"pairs.vsk",
       survey_files::twoPairsAndSubbottom(64),
       5,
       {IDC_PAIR_1, IDC_PAIR_2, IDC_SUBBOTTOM, IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3, IDC_CHANNEL_4,
        IDC_CHANNEL_5}},
      {"eight_bit.vsk", eightBitDegrees(), 4, {IDC_PAIR_1, IDC_SUBBOTTOM, IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3}},
      {"long_traces.vsk", survey_files::twoPairsAndSubbottom(1500), 3, {IDC_PAIR_2, IDC_SUBBOTTOM, IDC_CHANNEL_4}},
      {"four_pairs.vsk",
       fourPairs(),
       6,
       {IDC_PAIR_1, IDC_PAIR_2, IDC_PAIR_3, IDC_PAIR_4, IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3, IDC_CHANNEL_4,
        IDC_CHANNEL_5, IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8}},
  };
  return all;
}

bool isPairBox(int box) { return box == IDC_PAIR_1 || box == IDC_PAIR_2 || box == IDC_PAIR_3 || box == IDC_PAIR_4; }

// Samples per trace of a set: its (port) channel's count; every channel of a survey here has its entry's count.
std::uint32_t samplesOf(const Survey& survey, int box) {
  const int selection = [box] {
    const int order[] = {IDC_PAIR_1,    IDC_PAIR_2,    IDC_PAIR_3,    IDC_PAIR_4,    IDC_SUBBOTTOM,
                         IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3, IDC_CHANNEL_4, IDC_CHANNEL_5,
                         IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8};
    for (int s = 0; s < static_cast<int>(std::size(order)); ++s) {
      if (order[s] == box) return s;
    }
    return -1;
  }();
  const std::vector<vsk::ChannelSpec>& table = survey.spec.sonarChannels;
  if (selection < SELECTION_SUBBOTTOM) return table[static_cast<std::size_t>(2 * selection)].samplesPerChannel;
  if (selection == SELECTION_SUBBOTTOM) {
    for (const vsk::ChannelSpec& entry : table) {
      if (entry.type == SUBBOTTOM) return entry.samplesPerChannel;
    }
  }
  return table[static_cast<std::size_t>(selection - SELECTION_FIRST_SINGLE)].samplesPerChannel;
}

using LongRuns = hardening::HardeningTest;

TEST_F(LongRuns, TwoHundredConversionsInOneProcessKeepTheHeapFlat) {
  start();
  std::vector<std::string> files;
  for (const Survey& survey : surveys()) files.push_back(writeSurvey(survey.name, survey.spec, survey.pings, true));
  const std::string outputs[] = {path("first.SEG"), path("second.SEG")};
  std::uint64_t settledHeap = 0;
  for (int run = 0; run < CONVERSIONS; ++run) {
    const std::size_t which = static_cast<std::size_t>(run) % surveys().size();
    const Survey& survey = surveys()[which];
    const int box = survey.boxes[static_cast<std::size_t>(run / 4) % survey.boxes.size()];
    const std::string& segy = outputs[run % 2];
    SCOPED_TRACE("conversion " + std::to_string(run + 1) + " of " + survey.name);
    chooseSonarFile(files[which]);
    ASSERT_EQ(context().sonarFileChecked, 1);
    chooseSegyFile(segy);
    click(box);
    click((run / 2) % 2 == 0 ? IDC_LITTLE_ENDIAN : IDC_BIG_ENDIAN);
    ui.clearRecords();
    click(IDC_PROCESS);
    ASSERT_TRUE(errorBoxes().empty()) << errorBoxes()[0].text;
    const std::uint64_t traces = static_cast<std::uint64_t>(survey.pings) * (isPairBox(box) ? 2 : 1);
    ASSERT_EQ(fileSize(segy), segySize(traces, samplesOf(survey, box)));
    ui.clearRecords();
    if (run + 1 == SETTLED_CONVERSION) settledHeap = hardening::heapInUse();
  }
  const std::uint64_t finalHeap = hardening::heapInUse();
  std::cout << "heap in use after conversion " << SETTLED_CONVERSION << ": " << settledHeap << " bytes, after "
            << CONVERSIONS << ": " << finalHeap << " bytes\n";
  EXPECT_LE(finalHeap, settledHeap + HEAP_GROWTH_BOUND)
      << "heap after conversion " << SETTLED_CONVERSION << ": " << settledHeap << " bytes, after " << CONVERSIONS
      << ": " << finalHeap;
  expectUsable();
}

constexpr std::uint32_t SMALL_SAMPLES = 100;
constexpr std::uint32_t LARGE_SAMPLES = 32u << 20;  // 64 MiB of 16-bit samples per ping, all a hole
constexpr std::uint64_t LARGE_INPUT_BYTES = (std::uint64_t{4} << 30) + (std::uint64_t{64} << 20);
constexpr std::uint64_t DISK_NEEDED_BYTES = std::uint64_t{256} << 20;
constexpr std::uint64_t ALLOCATED_LIMIT_BYTES = std::uint64_t{64} << 20;
constexpr std::uint64_t BLOCK_BYTES = 512;

// The header, then pings of a small port channel and a large starboard
// channel whose samples are a hole. Returns the pings written, 0 on failure.
int writeSparseSurvey(const std::string& path, std::uint64_t* size) {
  vsk::FileSpec spec;
  spec.sonarChannels = {channel(PORT, 0, 100.0f, SMALL_SAMPLES), channel(STARBOARD, 1, 100.0f, LARGE_SAMPLES)};
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return 0;
  auto put = [fd](const std::vector<std::uint8_t>& bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  };
  bool ok = put(vsk::encodeFileHeader(spec));
  const std::uint64_t holeBytes = std::uint64_t{LARGE_SAMPLES} * 2;
  int pings = 0;
  std::uint64_t end = 0;
  while (ok && end < LARGE_INPUT_BYTES) {
    vsk::Ping ping = survey_files::pingOf(spec, pings);
    ping.channels[1].samples.clear();  // stored as a hole below
    std::vector<std::uint8_t> record = vsk::encodePing(ping);
    ping.recordLength = static_cast<std::uint32_t>(record.size() + holeBytes);
    vsk::encodePingInto(ping, record);
    ok = put(record) && ::lseek(fd, static_cast<off_t>(holeBytes), SEEK_CUR) >= 0;
    end = static_cast<std::uint64_t>(::lseek(fd, 0, SEEK_CUR));
    ++pings;
  }
  ok = ok && ::ftruncate(fd, static_cast<off_t>(end)) == 0;
  ok = ::close(fd) == 0 && ok;
  *size = end;
  return ok ? pings : 0;
}

TEST_F(LongRuns, AnInputOfMoreThanFourGiBConvertsToItsEnd) {
  struct statvfs disk {};
  ASSERT_EQ(::statvfs(folder.c_str(), &disk), 0);
  if (static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize < DISK_NEEDED_BYTES) {
    GTEST_SKIP() << "less than 256 MiB free in " << folder << " for a sparse survey of 4 GiB";
  }
  const std::string survey = path("huge.vsk");
  std::uint64_t surveyBytes = 0;
  const int pings = writeSparseSurvey(survey, &surveyBytes);
  ASSERT_GT(pings, 0) << "the sparse survey could not be written";
  struct stat info {};
  ASSERT_EQ(::stat(survey.c_str(), &info), 0);
  if (static_cast<std::uint64_t>(info.st_blocks) * BLOCK_BYTES > ALLOCATED_LIMIT_BYTES) {
    GTEST_SKIP() << "the file system of " << folder << " keeps no holes: a 4 GiB survey would take 4 GiB of disk";
  }
  ASSERT_GT(surveyBytes, std::uint64_t{1} << 32);

  start();
  std::vector<int> progress;
  ui.setChangeObserver([&](HWND changed, int controlId) {
    if (changed == window && controlId == IDC_PROGRESS) progress.push_back(ui.progressPosition(window, IDC_PROGRESS));
  });
  chooseSonarFile(survey);
  ASSERT_EQ(context().sonarFileChecked, 1);
  // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on " " + to_string(...).
  std::string expectedCount(" ");
  expectedCount += std::to_string(pings);
  expectedCount += " (sonar/subbottom) ";
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), expectedCount);
  const std::string segy = path("huge.SEG");
  chooseSegyFile(segy);
  click(IDC_CHANNEL_1);
  progress.clear();
  ui.clearRecords();
  click(IDC_PROCESS);
  ui.setChangeObserver(nullptr);

  EXPECT_TRUE(errorBoxes().empty());
  EXPECT_EQ(fileSize(segy), segySize(static_cast<std::uint64_t>(pings), SMALL_SAMPLES));
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress.back(), 0) << "the bar goes back to 0 at the end";
  progress.pop_back();
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << "the bar only rises during the run";
  expectUsable();
}

}  // namespace
