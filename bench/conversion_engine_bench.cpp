// The conversion engine against `cp` of the same survey, and processing
// information (five texts per ping sent across threads) against none.
// Prints ratios measured in one run; the best of several repetitions each.
//
//   conversion_engine_bench [bytes] [folder] [plain]   (default 1 GiB in /tmp)
// "plain" times the conversion alone, for profiling.
#include "app/window_events.h"
#include "core/channel_locator.h"
#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "core/sonar_records.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "res/resource_ids.h"
#include "tools/vskgen/survey_generator.h"
#include "vsktools/vsk_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr std::uint64_t DEFAULT_BYTES = std::uint64_t{1} << 30;
constexpr int REPETITIONS = 3;
constexpr int SURVEYED_PINGS = 101;
constexpr UINT MSG_RUN_DONE = WM_USER + 1;
constexpr int BENCH_DIALOG = 1;
constexpr const char* BENCH_CLASS = "VESKCOREBENCH";

const DialogItemTemplate BENCH_ITEMS[] = {
    {CLASS_STATIC, "", IDC_STATUS, SS_LEFT, 0, 0, 100, 10, 0},
    {CLASS_STATIC, "", IDC_PING_NUMBER, SS_LEFT, 0, 10, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SHIP_POSITION_1, SS_LEFT, 0, 20, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SENSOR_POSITION_1, SS_LEFT, 50, 20, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SHIP_POSITION_2, SS_LEFT, 0, 30, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SENSOR_POSITION_2, SS_LEFT, 50, 30, 50, 10, 0},
    {CLASS_PROGRESS, "", IDC_PROGRESS, 0, 0, 50, 100, 10, 0},
};
const DialogTemplate BENCH_DIALOGS[] = {
    {BENCH_DIALOG, WS_POPUP, 0, 0, 100, 60, nullptr, 8, BENCH_CLASS, 0, "bench", BENCH_ITEMS,
     static_cast<int>(std::size(BENCH_ITEMS))},
};
const ResourceTable BENCH_RESOURCES = {BENCH_DIALOGS, 1, nullptr, 0, nullptr, 0};

bool runDone = false;

LRESULT benchWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MSG_RUN_DONE) {
    runDone = true;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The largest sample count of the first pings at the port's position, as the survey learns it.
void surveyFirstPair(ConverterContext* context) {
  SetFilePointer(context->sonarFile, 0, nullptr, FILE_BEGIN);
  int pings = 0;
  while (pings < SURVEYED_PINGS &&
         ReadNextVSKData(context->sonarFile, &context->recordBuffer, &context->recordBytes, VSK_READ_MODE) == VSK_OK) {
    context->currentPing = static_cast<PingHeader*>(context->recordBuffer);
    if (!isSonarPing(context->currentPing)) continue;
    locateChannels(context);
    if (const ChannelHeader* port = context->channelData[0];
        port != nullptr && channelSampleCount(port) > context->channelSamples[0]) {
      context->channelSamples[0] = channelSampleCount(port);
      context->channelDuration[0] = channelTimeDuration(port);
    }
    ++pings;
  }
}

double timeCopy(const std::string& from, const std::string& to) {
  const std::string command = "cp '" + from + "' '" + to + "'";
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cp failed\n");
  const double took = seconds(std::chrono::steady_clock::now() - start);
  std::filesystem::remove(to);
  return took;
}

// One conversion on a worker thread, the window's thread pumping messages,
// as the program runs it.
double timeConversion(ConverterContext* context, HWND window, bool processingInfo) {
  context->showProcessingInfo.store(processingInfo ? 1 : 0);
  context->conversionStep = STEP_IDLE;
  runDone = false;
  const auto start = std::chrono::steady_clock::now();
  std::thread converter([context, window] {
    WindowEvents events(window);
    runConversion(context, events);
    events.showLastPing();
    PostMessageA(window, MSG_RUN_DONE, 0, 0);
  });
  MSG msg;
  while (!runDone && GetMessageA(&msg, nullptr, 0, 0) != 0) DispatchMessageA(&msg);
  converter.join();
  const double took = seconds(std::chrono::steady_clock::now() - start);
  if (context->conversionOutcome != CONVERSION_OK)
    std::fprintf(stderr, "conversion failed: %d\n", context->conversionOutcome);
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t bytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : DEFAULT_BYTES;
  const std::filesystem::path folder =
      argc > 2 ? argv[2] : (std::filesystem::temp_directory_path() / "vesk-core-bench");
  std::filesystem::create_directories(folder);
  const std::string survey = (folder / ("survey-" + std::to_string(bytes) + ".vsk")).string();
  const std::string copy = (folder / "copy.vsk").string();
  const std::string segy = (folder / "LINE1.sgy").string();
  if (!std::filesystem::exists(survey)) {
    vskgen::SurveyOptions options;
    options.targetBytes = bytes;
    if (const std::string problem = vskgen::writeSurvey(survey, options); !problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return 1;
    }
  }

  WNDCLASSA windowClass;
  windowClass.lpfnWndProc = benchWindowProcedure;
  windowClass.lpszClassName = BENCH_CLASS;
  windowClass.hInstance = &BENCH_RESOURCES;
  RegisterClassA(&windowClass);
  auto context = std::make_unique<ConverterContext>();
  HWND window = CreateDialogParamA(&BENCH_RESOURCES, MAKEINTRESOURCEA(BENCH_DIALOG), nullptr, nullptr, 0);
  context->sonarFile =
      CreateFileA(survey.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  context->segyFile =
      CreateFileA(segy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD unused = 0;
  if (window == nullptr || context->sonarFile == INVALID_HANDLE_VALUE || context->segyFile == INVALID_HANDLE_VALUE ||
      ReadFullVSKHeader(context->sonarFile, &context->fileHeader, &unused) != VSK_OK) {
    std::fprintf(stderr, "cannot set up the conversion\n");
    return 1;
  }
  std::snprintf(context->segyFileName, sizeof context->segyFileName, "%s", segy.c_str());
  context->sonarFileSize = fileSize64(context->sonarFile);
  context->channelSelection = 0;
  context->selectedChannel = 0;
  context->tracesPerRecord = 2;
  surveyFirstPair(context.get());

  double copyBest = 1e300;
  double plainBest = 1e300;
  double infoBest = 1e300;
  if (argc > 3 && std::string(argv[3]) == "plain") {
    for (int i = 0; i < REPETITIONS; ++i) plainBest = std::min(plainBest, timeConversion(context.get(), window, false));
    std::printf("conversion %.3f s\n", plainBest);
    return 0;
  }
  timeCopy(survey, copy);  // the survey into the page cache
  for (int i = 0; i < REPETITIONS; ++i) {
    copyBest = std::min(copyBest, timeCopy(survey, copy));
    plainBest = std::min(plainBest, timeConversion(context.get(), window, false));
    infoBest = std::min(infoBest, timeConversion(context.get(), window, true));
  }
  std::printf("survey %llu bytes, %u pings, SEG-Y %llu bytes (%u traces of %u samples)\n",
              static_cast<unsigned long long>(context->sonarFileSize), context->pingCount,
              static_cast<unsigned long long>(context->bytesWritten), context->tracesWritten, context->samplesPerTrace);
  std::printf("cp %.3f s, conversion %.3f s, with processing information %.3f s\n", copyBest, plainBest, infoBest);
  std::printf("conversion / cp = %.3f (limit 1.25)\n", plainBest / copyBest);
  std::printf("with processing information / without = %.3f (limit 1.10)\n", infoBest / plainBest);

  CloseHandle(context->sonarFile);
  CloseHandle(context->segyFile);
  DestroyWindow(window);
  std::free(context->traceSamples);
  std::filesystem::remove(segy);
  return 0;
}
