#include "hardening_support.h"

#include "app/feedback.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/files.h"
#include "res/resource_ids.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <sched.h>
#include <sys/mount.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VESK_SANITIZED_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VESK_SANITIZED_HEAP 1
#endif
#ifdef VESK_SANITIZED_HEAP
// The sanitizers' allocator counts for itself (g++ ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace hardening {

namespace {

constexpr std::uint64_t SAMPLE_BYTES = 2;

bool enterPrivateMounts(std::string* why) {
  static int entered = -1;
  static std::string reason;
  if (entered < 0) {
    entered = 0;
    if (::unshare(CLONE_NEWNS) != 0) {
      reason = std::string("no private mount namespace: ") + std::strerror(errno);
    } else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      reason = std::string("mounts cannot be made private: ") + std::strerror(errno);
    } else {
      entered = 1;
    }
  }
  if (entered == 0 && why != nullptr) *why = reason;
  return entered == 1;
}

}  // namespace

std::vector<unsigned char> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string formatted(const char* format, const std::string& file) {
  char text[MESSAGE_TEXT_BYTES];
  std::snprintf(text, sizeof text, format, file.c_str());
  return text;
}

std::uint64_t segySize(std::uint64_t traces, std::uint32_t samples) {
  return REEL_HEADER_BYTES + traces * (TRACE_HEADER_BYTES + samples * SAMPLE_BYTES);
}

bool mountTmpfs(const std::string& folder, std::uint64_t sizeBytes, bool readOnly, std::string* why) {
  if (!enterPrivateMounts(why)) return false;
  const std::string options = "size=" + std::to_string(sizeBytes);
  const unsigned long flags = MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
  if (::mount("tmpfs", folder.c_str(), "tmpfs", flags, options.c_str()) != 0) {
    if (why != nullptr) *why = std::string("tmpfs cannot be mounted: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool remountReadOnly(const std::string& folder, std::string* why) {
  if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) != 0) {
    if (why != nullptr) *why = std::string("cannot remount read-only: ") + std::strerror(errno);
    return false;
  }
  return true;
}

std::uint64_t heapInUse() {
#ifdef VESK_SANITIZED_HEAP
  return __sanitizer_get_current_allocated_bytes();
#else
  // Large blocks are mapped on their own and counted apart.
  const struct mallinfo2 heap = mallinfo2();
  return heap.uordblks + heap.hblkhd;
#endif
}

void HardeningTest::TearDown() {
  setWriteFaultHook({});
  // Detached at once; what the program still holds open goes when it closes.
  for (const std::string& mount : mounted_) ::umount2(mount.c_str(), MNT_DETACH);
  ProgramTest::TearDown();
}

std::string HardeningTest::mountedFolder(const std::string& name, std::uint64_t sizeBytes, std::string* why) {
  const std::string mount = path(name);
  std::filesystem::create_directories(mount);
  if (!mountTmpfs(mount, sizeBytes, false, why)) return "";
  mounted_.push_back(mount);
  return mount;
}

std::string HardeningTest::acceptSurvey(const std::string& name, std::uint32_t samples, int pings) {
  const std::string file = writeSurvey(name, survey_files::twoPairsAndSubbottom(samples), pings, true);
  chooseSonarFile(file);
  EXPECT_EQ(context().sonarFileChecked, 1) << file << " was not accepted";
  return file;
}

std::vector<MessageBoxRecord> HardeningTest::errorBoxes() const {
  std::vector<MessageBoxRecord> found;
  for (const MessageBoxRecord& box : boxes()) {
    if (box.caption == ERROR_CAPTION) found.push_back(box);
  }
  return found;
}

void HardeningTest::expectOneErrorNaming(const std::string& file) const {
  const std::vector<MessageBoxRecord> errors = errorBoxes();
  ASSERT_EQ(errors.size(), 1u) << "one ERROR box naming " << file;
  EXPECT_NE(errors[0].text.find("[" + file + "]"), std::string::npos) << errors[0].text;
  EXPECT_EQ(errors[0].type & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
}

void HardeningTest::expectUsable() const {
  EXPECT_EQ(text(IDC_STATUS), " Ready");
  EXPECT_EQ(ui.progressPosition(window, IDC_PROGRESS), 0);
  EXPECT_EQ(context().busy, 0);
  for (int button : {IDC_BROWSE_SONAR, IDC_BROWSE_SEGY, IDC_PROCESS}) EXPECT_TRUE(enabled(button)) << button;
}

void HardeningTest::expectConvertsAgain(std::uint32_t samples, int pings) {
  const std::string segy = path("again.SEG");
  chooseSegyFile(segy);
  ASSERT_EQ(context().segyFileReady, 1);
  click(IDC_CHANNEL_1);
  ui.clearRecords();
  click(IDC_PROCESS);
  EXPECT_TRUE(errorBoxes().empty());
  EXPECT_EQ(fileSize(segy), segySize(static_cast<std::uint64_t>(pings), samples));
  expectUsable();
}

}  // namespace hardening
