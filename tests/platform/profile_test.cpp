#include "platform/profile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr DWORD kPathBuffer = 260;
constexpr uid_t kNobody = 65534;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = old;
    }
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Runs as an unprivileged user when the tests run as root, so that
// permissions are enforced.
class Unprivileged {
 public:
  Unprivileged() : wasRoot_(geteuid() == 0) { ok_ = !wasRoot_ || seteuid(kNobody) == 0; }
  ~Unprivileged() {
    if (wasRoot_ && ok_) {
      EXPECT_EQ(seteuid(0), 0);
    }
  }
  bool ok() const { return ok_; }

 private:
  bool wasRoot_;
  bool ok_ = false;
};

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "profile_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    file_ = (folder_ / "settings.ini").string();
    configHome_.emplace("XDG_CONFIG_HOME", (folder_ / "config").c_str());
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all);
    fs::remove_all(folder_);
  }

  void put(const std::string& bytes) const { std::ofstream(file_, std::ios::binary) << bytes; }
  std::string contents() const { return slurp(file_); }
  static std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string get(const char* section, const char* key, const char* fallback = "") const {
    std::vector<char> buffer(kPathBuffer);
    GetPrivateProfileStringA(section, key, fallback, buffer.data(), kPathBuffer, file_.c_str());
    return buffer.data();
  }
  UINT getInt(const char* key, int fallback) const {
    return GetPrivateProfileIntA("VESKCONV", key, fallback, file_.c_str());
  }
  BOOL set(const char* section, const char* key, const char* value) const {
    return WritePrivateProfileStringA(section, key, value, file_.c_str());
  }
  std::vector<std::string> folderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path folder_;
  std::string file_;
  std::optional<ScopedEnv> configHome_;
};

TEST_F(ProfileTest, ReadsWithWindowsRules) {
  put("top=9\n"
      "; comment=7\n"
      "[other]\n"
      "Use Ship Coordinates=5\n"
      "  [ veskconv ]  \r\n"
      "not a pair\n"
      "  use SHIP coordinates   =   2  \r\n"
      "Use Ship Coordinates=3\n"
      "Quoted = \"  spaced value \"\n"
      "Half=\"open\n"
      "Empty=\n"
      "Mixed=12abc\n"
      "Negative=-5\n"
      "Word=on\n"
      "[VESKCONV]\n"
      "Late=1\n");

  EXPECT_EQ(getInt("Use Ship Coordinates", 1), 2u);
  EXPECT_EQ(get("VESKCONV", "Quoted"), "  spaced value ");
  EXPECT_EQ(get("VESKCONV", "half"), "\"open");
  EXPECT_EQ(get("VESKCONV", "Empty", "dflt"), "");
  EXPECT_EQ(getInt("Empty", 7), 7u);
  EXPECT_EQ(getInt("Mixed", 0), 12u);
  EXPECT_EQ(static_cast<int>(getInt("Negative", 0)), -5);
  EXPECT_EQ(getInt("Word", 4), 4u);
  EXPECT_EQ(get("VESKCONV", "not a pair", "none"), "none");
  EXPECT_EQ(get("VESKCONV", "; comment", "none"), "none");
  EXPECT_EQ(get("VESKCONV", "top", "none"), "none");
  // The first section of a name is the one searched.
  EXPECT_EQ(getInt("Late", 0), 0u);
}

TEST_F(ProfileTest, DefaultsAndBufferLimits) {
  EXPECT_EQ(get("VESKCONV", "Last VSK File Name", "none"), "none");
  EXPECT_EQ(getInt("Enable Processing Information", 1), 1u);
  EXPECT_FALSE(fs::exists(file_));

  put("[VESKCONV]\nName=abcdef\n");
  char buffer[4] = "zzz";
  EXPECT_EQ(GetPrivateProfileStringA("VESKCONV", "Name", "", buffer, 4, file_.c_str()), 3u);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(GetPrivateProfileStringA("VESKCONV", "Name", "", buffer, 1, file_.c_str()), 0u);
  EXPECT_STREQ(buffer, "");
  buffer[0] = 'z';
  EXPECT_EQ(GetPrivateProfileStringA("VESKCONV", "Name", "", buffer, 0, file_.c_str()), 0u);
  EXPECT_EQ(buffer[0], 'z');
  EXPECT_EQ(GetPrivateProfileStringA("VESKCONV", "Missing", "ab  ", buffer, 4, file_.c_str()), 2u);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(get("VESKCONV", "Missing", nullptr), "");
  EXPECT_EQ(get(nullptr, "Name", "d"), "d");
  EXPECT_EQ(get("VESKCONV", nullptr, "d"), "d");
}

TEST_F(ProfileTest, NumbersBeyond32BitsKeepTheirLowBits) {
  put("[VESKCONV]\nA=4294967298\nB=99999999999\nC=-4294967295\n");
  EXPECT_EQ(getInt("A", 0), 2u);
  EXPECT_EQ(getInt("B", 0), static_cast<UINT>(99999999999ull & 0xFFFFFFFFull));
  EXPECT_EQ(getInt("C", 0), 1u);
}

TEST_F(ProfileTest, WriteReplacesInPlaceAndKeepsEveryOtherByte) {
  std::string const before =
      "; settings\n"
      "[Other]\n"
      "Use Ship Coordinates=7\n"
      "\n"
      "[veskconv]\n"
      "  use ship COORDINATES =  0   \n"
      "garbage \xff line\n"
      "Use Ship Coordinates=9\n"
      "\n"
      "[Last]\n"
      "x=1";
  put(before);

  ASSERT_TRUE(set("VESKCONV", "Use Ship Coordinates", "1"));
  std::string expected = before;
  expected.replace(expected.find("0   \n"), 4, "1");
  EXPECT_EQ(contents(), expected);

  ASSERT_TRUE(set("VESKCONV", "MOTOROLA Memory Model", "0"));
  expected.insert(expected.find("\n\n[Last]") + 1, "MOTOROLA Memory Model=0\n");
  EXPECT_EQ(contents(), expected);

  ASSERT_TRUE(set("Last", "y", "2"));
  expected += "\ny=2\n";
  EXPECT_EQ(contents(), expected);

  ASSERT_TRUE(set("New", "z", "3"));
  expected += "\n[New]\nz=3\n";
  EXPECT_EQ(contents(), expected);

  ASSERT_TRUE(set("veskconv", "motorola memory model", nullptr));
  expected.erase(expected.find("MOTOROLA Memory Model=0\n"), 24);
  EXPECT_EQ(contents(), expected);
}

TEST_F(ProfileTest, NewLinesFollowTheFilesLineBreaks) {
  put("[VESKCONV]\r\nA=1\r\n");
  ASSERT_TRUE(set("VESKCONV", "A", "2"));
  ASSERT_TRUE(set("VESKCONV", "B", "3"));
  ASSERT_TRUE(set("Next", "C", "4"));
  EXPECT_EQ(contents(), "[VESKCONV]\r\nA=2\r\nB=3\r\n\r\n[Next]\r\nC=4\r\n");
}

TEST_F(ProfileTest, FirstWriteCreatesTheFileAndDeletingNothingCreatesNone) {
  EXPECT_TRUE(set("VESKCONV", "Gone", nullptr));
  EXPECT_FALSE(fs::exists(file_));
  ASSERT_TRUE(set("VESKCONV", "Window Coordinates - top", "12"));
  EXPECT_EQ(contents(), "[VESKCONV]\nWindow Coordinates - top=12\n");
  EXPECT_EQ(fs::status(file_).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(ProfileTest, InjectingValuesAndNamesAreRefused) {
  std::string const before = "[VESKCONV]\nLast VSK File Name=/data/a.vsk\n";
  put(before);
  EXPECT_FALSE(set("VESKCONV", "Last VSK File Name", "/data/x\n[Evil]\nk=v"));
  EXPECT_FALSE(set("VESKCONV", "Last VSK File Name", "/data/x\rk=v"));
  for (const char* key : {"a]b", "a=b", "a\nb", "a\rb", ";a", "  ;a", "[a", "", "   "}) {
    EXPECT_FALSE(set("VESKCONV", key, "1")) << key;
  }
  for (const char* section : {"a]b", "a=b", "a\nb", "a\rb", ";a"}) {
    EXPECT_FALSE(set(section, "k", "1")) << section;
  }
  EXPECT_FALSE(set(nullptr, "k", "1"));
  EXPECT_FALSE(set("VESKCONV", nullptr, "1"));
  EXPECT_EQ(contents(), before);
}

TEST_F(ProfileTest, AwkwardPathsReadBackIdentical) {
  put("[VESKCONV]\nLast VSK File Name=old\nAfter=kept\n");
  for (const char* path : {"/data/[line]=7;x.vsk", "  /lead/and/trail  ", "\t/tab\t", "\"/quoted/both\"", "\"/open",
                           "/close\"", "\"", "/bytes/\xff\xfe\x80\xc3(.vsk", "a ; b = c [d]"}) {
    ASSERT_TRUE(set("VESKCONV", "Last VSK File Name", path)) << path;
    EXPECT_EQ(get("VESKCONV", "Last VSK File Name"), path);
  }
  EXPECT_EQ(get("VESKCONV", "After"), "kept");
}

TEST_F(ProfileTest, CodePageTextIsKeptByteForByte) {
  // Every byte a text of any code page may hold, NUL and control characters aside.
  std::string text;
  for (int i = 0; i < 4096; ++i) {
    const auto byte = static_cast<unsigned char>((i * 151 + 7) % 256);
    if (byte >= 0x20 && byte != 0x7F && byte != '[') text += static_cast<char>(byte);
    if (i % 64 == 0) text += "\t\v\f\n";
  }
  put(text +
      "\n[VESKCONV]\nName=ab\xff\x80"
      "cd\n[After]\n" +
      text);
  EXPECT_EQ(get("VESKCONV", "Name"),
            "ab\xff\x80"
            "cd");
  EXPECT_EQ(get("VESKCONV", "Other", "d"), "d");
  ASSERT_TRUE(set("VESKCONV", "Flag", "1"));
  EXPECT_EQ(contents(), text +
                            "\n[VESKCONV]\nName=ab\xff\x80"
                            "cd\nFlag=1\n[After]\n" +
                            text);
  EXPECT_EQ(getInt("Flag", 0), 1u);
}

// A file with binary bytes is no INI file: read as missing, never rewritten.
TEST_F(ProfileTest, AFileThatIsNotTextGivesTheDefaultsAndIsNeverRewritten) {
  std::string random;
  std::uint32_t state = 12345;
  for (int i = 0; i < (1 << 20); ++i) {
    state = state * 1103515245u + 12345u;
    random += static_cast<char>(state >> 24);
  }
  const std::string valid = "[VESKCONV]\nFlag=1\nName=kept\n";
  for (const std::string& binary :
       {random, valid + std::string(1, '\0'), valid + "\x01", "\x1b" + valid, valid + "\x7f\n"}) {
    put(binary);
    EXPECT_EQ(getInt("Flag", 7), 7u);
    EXPECT_EQ(get("VESKCONV", "Name", "dflt"), "dflt");
    EXPECT_FALSE(set("VESKCONV", "Flag", "0"));
    EXPECT_EQ(contents(), binary);
  }
}

TEST_F(ProfileTest, SingleQuotesAreStrippedAsDoubleQuotesAre) {
  put("[VESKCONV]\nSingle=' spaced '\nMixed='open\"\nAlone='\n");
  EXPECT_EQ(get("VESKCONV", "Single"), " spaced ");
  EXPECT_EQ(get("VESKCONV", "Mixed"), "'open\"");
  EXPECT_EQ(get("VESKCONV", "Alone"), "'");
  for (const char* value : {"'/quoted/single'", "'", "''", "' x '"}) {
    ASSERT_TRUE(set("VESKCONV", "Last VSK File Name", value)) << value;
    EXPECT_EQ(get("VESKCONV", "Last VSK File Name"), value);
  }
}

TEST_F(ProfileTest, AHugeValueIsCutToTheBufferAndKept) {
  std::string const huge(5u << 20, 'h');
  std::string const before = "[VESKCONV]\nHuge=" + huge + "\nDigits=" + std::string(1u << 20, '9') + "\n";
  put(before);

  EXPECT_EQ(get("VESKCONV", "Huge"), huge.substr(0, kPathBuffer - 1));
  std::vector<char> whole(huge.size() + 1);
  EXPECT_EQ(
      GetPrivateProfileStringA("VESKCONV", "Huge", "", whole.data(), static_cast<DWORD>(whole.size()), file_.c_str()),
      huge.size());
  EXPECT_EQ(std::string(whole.data()), huge);
  // 10^(2^20) - 1 modulo 2^32: 10^n ends in n zero bits once n >= 32.
  EXPECT_EQ(getInt("Digits", 0), 0xFFFFFFFFu);

  ASSERT_TRUE(set("VESKCONV", "Small", "1"));
  EXPECT_EQ(contents(), before + "Small=1\n");
}

TEST_F(ProfileTest, FilesThatCannotBeReadGiveDefaults) {
  fs::create_directory(file_);
  EXPECT_EQ(get("VESKCONV", "Name", "d"), "d");
  EXPECT_FALSE(set("VESKCONV", "Name", "1"));
  fs::remove(file_);

  put("[VESKCONV]\nName=secret\n");
  fs::permissions(file_, fs::perms::none);
  fs::permissions(folder_, fs::perms::all);
  {
    Unprivileged nobody;
    if (!nobody.ok()) {
      GTEST_SKIP() << "cannot drop privileges";
    }
    EXPECT_EQ(get("VESKCONV", "Name", "d"), "d");
    // An unreadable file is never replaced by one holding only the new key.
    EXPECT_FALSE(set("VESKCONV", "Other", "1"));
  }
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(contents(), "[VESKCONV]\nName=secret\n");
}

TEST_F(ProfileTest, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  std::string const before = "[VESKCONV]\nName=old\n";
  put(before);

  // The file size limit makes the temporary file's write fail midway.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto const previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  BOOL const result = set("VESKCONV", "Name", std::string(8192, 'n').c_str());
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(result);
  EXPECT_EQ(contents(), before);
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"settings.ini"});
}

TEST_F(ProfileTest, AReadOnlyFolderGivesFalseAndTheOldContents) {
  std::string const before = "[VESKCONV]\nName=old\n";
  put(before);
  // Group bits too: an unprivileged root keeps root's groups.
  fs::permissions(file_,
                  fs::perms::owner_write | fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(folder_,
                  fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
  {
    Unprivileged nobody;
    if (!nobody.ok()) {
      GTEST_SKIP() << "cannot drop privileges";
    }
    EXPECT_FALSE(set("VESKCONV", "Name", "new"));
    EXPECT_EQ(get("VESKCONV", "Name"), "old");
  }
  EXPECT_EQ(contents(), before);
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"settings.ini"});
  // Not even root can make files in /proc.
  EXPECT_FALSE(WritePrivateProfileStringA("VESKCONV", "Name", "new", "/proc/VESKCONV.INI"));
}

TEST_F(ProfileTest, ReplacingKeepsModeAndLinksAndSkipsUnchangedWrites) {
  put("[VESKCONV]\nName=old\n");
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  struct stat first {};
  ASSERT_EQ(stat(file_.c_str(), &first), 0);

  ASSERT_TRUE(set("VESKCONV", "Name", "old"));
  struct stat same {};
  ASSERT_EQ(stat(file_.c_str(), &same), 0);
  EXPECT_EQ(same.st_ino, first.st_ino);

  ASSERT_TRUE(set("VESKCONV", "Name", "new"));
  struct stat replaced {};
  ASSERT_EQ(stat(file_.c_str(), &replaced), 0);
  EXPECT_NE(replaced.st_ino, first.st_ino);
  EXPECT_EQ(replaced.st_mode & 07777, first.st_mode & 07777);

  fs::path const link = folder_ / "link.ini";
  fs::create_symlink(file_, link);
  ASSERT_TRUE(WritePrivateProfileStringA("VESKCONV", "Name", "via link", link.c_str()));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(get("VESKCONV", "Name"), "via link");

  // A link whose file does not exist yet stays a link too: the file is made.
  fs::path const dangling = folder_ / "dangling.ini";
  fs::create_symlink("elsewhere/target.ini", dangling);
  fs::create_directory(folder_ / "elsewhere");
  ASSERT_TRUE(WritePrivateProfileStringA("VESKCONV", "Name", "made", dangling.c_str()));
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(slurp(folder_ / "elsewhere" / "target.ini"), "[VESKCONV]\nName=made\n");
  // A link into a folder that does not exist: refused, the link kept.
  fs::path const nowhere = folder_ / "nowhere.ini";
  fs::create_symlink("no/such/folder/x.ini", nowhere);
  EXPECT_FALSE(WritePrivateProfileStringA("VESKCONV", "Name", "lost", nowhere.c_str()));
  EXPECT_TRUE(fs::is_symlink(nowhere));
}

TEST_F(ProfileTest, BareNamesLiveInTheSettingsFolder) {
  fs::path const config = folder_ / "config" / "deeper";
  ScopedEnv const xdg("XDG_CONFIG_HOME", config.c_str());
  EXPECT_EQ(profilePath("VESKCONV.INI"), (config / "VESKCONV.INI").string());
  EXPECT_EQ(profilePath("/abs/VESKCONV.INI"), "/abs/VESKCONV.INI");
  EXPECT_EQ(profilePath("rel/VESKCONV.INI"), "rel/VESKCONV.INI");
  EXPECT_EQ(profilePath(""), "");
  EXPECT_EQ(profilePath(nullptr), "");

  EXPECT_EQ(GetPrivateProfileIntA("VESKCONV", "MOTOROLA Memory Model", 0, "VESKCONV.INI"), 0u);
  EXPECT_FALSE(fs::exists(config));
  ASSERT_TRUE(WritePrivateProfileStringA("VESKCONV", "MOTOROLA Memory Model", "1", "VESKCONV.INI"));
  EXPECT_EQ(slurp(config / "VESKCONV.INI"), "[VESKCONV]\nMOTOROLA Memory Model=1\n");
  EXPECT_EQ(GetPrivateProfileIntA("VESKCONV", "MOTOROLA Memory Model", 0, "VESKCONV.INI"), 1u);
  EXPECT_FALSE(WritePrivateProfileStringA("VESKCONV", "k", "1", ""));

  ScopedEnv const home("HOME", (folder_ / "home").c_str());
  for (const char* unusable : {"relative/config", ""}) {
    ScopedEnv const other("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(profilePath("VESKCONV.INI"), (folder_ / "home" / ".config" / "VESKCONV.INI").string());
  }
  ScopedEnv const unset("XDG_CONFIG_HOME", nullptr);
  ASSERT_TRUE(WritePrivateProfileStringA("VESKCONV", "Use Ship Coordinates", "0", "VESKCONV.INI"));
  EXPECT_TRUE(fs::exists(folder_ / "home" / ".config" / "VESKCONV.INI"));
}

}  // namespace
