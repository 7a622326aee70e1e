#include "settings/config.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "settings/os_error_text.h"

namespace klv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint32_t> PlainScores(const Config& c) {
  std::vector<uint32_t> out;
  for (const auto& e : c.Scores) out.push_back(e.Score.Value());
  return out;
}

// A fresh folder per test, removed afterwards.
class ConfigFileTest : public ::testing::Test {
 protected:
  ConfigFileTest() {
    char pattern[] = "/tmp/klv-config-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  ~ConfigFileTest() override { fs::remove_all(dir_); }
  fs::path File() const { return fs::path(dir_) / "Config.cfg"; }

  // A record unlike the defaults in every field.
  static Config Sample() {
    Config c;
    c.Music = false;
    c.Sound = true;
    c.Windowed = false;
    c.SendScores = true;
    c.AddText = "hello";
    c.GameName = "G";
    c.PlayerName = "P";
    c.Levels = "12";
    for (int i = 0; i < kScoreEntries; ++i) {
      c.Scores[i] = {std::string(1 + i, static_cast<char>('a' + i)), Score::Plain(5000 - i * 7)};
    }
    c.HelpPages = 7;
    return c;
  }

  std::string dir_;
};

const std::string kVanya = "\xC2\xE0\xED\xFF";

TEST_F(ConfigFileTest, NoFileMeansDefaultsWrittenAtOnce) {
  Config config;
  const ConfigLoadResult r = LoadConfig(dir_, config);
  EXPECT_TRUE(r.Defaulted);
  EXPECT_TRUE(r.Save.Ok()) << r.Save.Message;
  EXPECT_EQ(PlainScores(config),
            (std::vector<uint32_t>{1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}));
  for (const auto& e : config.Scores) EXPECT_EQ(e.Name, kVanya);
  EXPECT_TRUE(config.Music && config.Sound && config.Windowed);
  EXPECT_FALSE(config.SendScores);
  EXPECT_EQ(config.GameName, "\xC8\xE3\xF0\xE0");
  EXPECT_EQ(config.PlayerName, "\xC0\xED\xEE\xED\xE8\xEC");
  EXPECT_EQ(config.Levels, "5");
  EXPECT_EQ(config.HelpPages, 4);

  const std::vector<uint8_t> bytes = ReadAll(File());
  ASSERT_EQ(bytes.size(), 240u);
  EXPECT_EQ(bytes[3], 0);
  // Entry 1: "Ваня" stored one up per byte, 'я' (0xFF) wrapping to 0x00; score 1000 masked.
  const std::vector<uint8_t> entry1(bytes.begin() + 36, bytes.begin() + 56);
  EXPECT_EQ(entry1, (std::vector<uint8_t>{4, 0xC3, 0xE1, 0xEE, 0x00, 0, 0,    0,    0, 0,
                                          0, 0,    0,    0,    0,    0, 0x8B, 0x68, 0, 0}));
  // Entry 10 is stored ten up.
  EXPECT_EQ(bytes[216 + 1], 0xC2 + 10);
  EXPECT_EQ(bytes[236], 4);
  EXPECT_FALSE(fs::exists(File().string() + ".tmp"));
}

TEST(ConfigImageTest, FieldsSitAtTheirOffsets) {
  Config c;
  c.Music = true;
  c.SendScores = true;
  c.AddText = "0123456789ABC";  // cut to 10 on writing
  c.GameName = "game";
  c.PlayerName = "pl";
  c.Levels = "42";
  c.Scores[2] = {"nm", Score::Masked(0x12345678)};
  c.HelpPages = 200;
  const ConfigImage im = ConfigToImage(c);
  EXPECT_EQ(im[0], 1);
  EXPECT_EQ(im[1], 0);
  EXPECT_EQ(im[3], 1);
  EXPECT_EQ(im[4], 10);
  EXPECT_EQ(std::string(im.begin() + 5, im.begin() + 15), "0123456789");
  EXPECT_EQ(im[15], 4);
  EXPECT_EQ(std::string(im.begin() + 16, im.begin() + 20), "game");
  EXPECT_EQ(im[24], 2);
  EXPECT_EQ(im[33], 2);
  EXPECT_EQ(std::string(im.begin() + 34, im.begin() + 36), "42");
  EXPECT_EQ(im[76], 2);
  EXPECT_EQ(im[77], 'n');
  EXPECT_EQ((std::vector<uint8_t>(im.begin() + 92, im.begin() + 96)),
            (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(im[236], 200);
  // Gaps and bytes past each length are zero.
  for (size_t at : {16 + 4u, 25 + 2u, 49u, 50u, 51u, 237u, 238u, 239u}) EXPECT_EQ(im[at], 0) << at;

  Config back = ConfigFromImage(im);
  c.AddText.resize(10);
  EXPECT_EQ(back, c);
}

TEST(ConfigImageTest, OverlongLengthBytesReadAsTheCapacity) {
  struct Case {
    size_t at;
    size_t capacity;
    std::string Config::*field;
  };
  const Case cases[] = {{4, 10, &Config::AddText},
                        {15, 8, &Config::GameName},
                        {24, 8, &Config::PlayerName},
                        {33, 2, &Config::Levels}};
  for (const Case& c : cases) {
    for (int len : {int(c.capacity) + 1, 255}) {
      ConfigImage im{};
      for (size_t i = 0; i < im.size(); ++i) im[i] = static_cast<uint8_t>('A' + i % 26);
      im[c.at] = static_cast<uint8_t>(len);
      const Config cfg = ConfigFromImage(im);
      EXPECT_EQ(cfg.*c.field,
                std::string(reinterpret_cast<const char*>(im.data() + c.at + 1), c.capacity))
          << c.at << " " << len;
    }
  }
  // A name: the unscrambling stays inside the name and leaves the score alone.
  ConfigImage im{};
  im[36] = 200;
  std::fill(im.begin() + 37, im.begin() + 56, 0x50);
  UnscrambleNames(im);
  EXPECT_EQ(std::count(im.begin() + 37, im.begin() + 49, 0x4F), 12);
  EXPECT_EQ(std::count(im.begin() + 49, im.begin() + 56, 0x50), 7);
  EXPECT_EQ(ConfigFromImage(im).Scores[0].Name.size(), 12u);
}

TEST(ConfigImageTest, ScramblingIsModulo256AndSkipsEmptyNames) {
  Config c;
  c.Scores[0].Name = "\xFF";
  c.Scores[1].Name = "";
  c.Scores[9].Name = "\xF7\xF6";
  ConfigImage im = ConfigToImage(c);
  const ConfigImage plain = im;
  ScrambleNames(im);
  EXPECT_EQ(im[37], 0x00);
  EXPECT_EQ(im[56], 0);  // empty name: length 0, nothing moved
  EXPECT_EQ(im[57], 0);
  EXPECT_EQ(im[217], 0x01);
  EXPECT_EQ(im[218], 0x00);
  UnscrambleNames(im);
  EXPECT_EQ(im, plain);
}

TEST_F(ConfigFileTest, SaveAndLoadKeepEveryField) {
  Config saved = Sample();
  saved.Scores.Clear(kVanya);
  saved.Scores[0].Name = "\xFF\xFE\x01";
  ASSERT_TRUE(SaveConfig(dir_, saved).Ok());
  EXPECT_EQ(saved.Scores[0].Name, "\xFF\xFE\x01");  // plain in memory
  Config loaded;
  const ConfigLoadResult r = LoadConfig(dir_, loaded);
  EXPECT_FALSE(r.Defaulted);
  EXPECT_FALSE(r.CloseFailed);
  EXPECT_EQ(loaded, saved);
}

TEST_F(ConfigFileTest, ShortFilesCountAsMissingAndLongOnesAreRead) {
  Config sample = Sample();
  ConfigImage image = ConfigToImage(sample);
  ScrambleNames(image);
  const std::vector<uint8_t> full(image.begin(), image.end());
  for (size_t size : {0u, 3u, 4u, 239u, 240u, 241u, 1000u}) {
    std::vector<uint8_t> bytes = full;
    bytes.resize(size, 0xAB);
    WriteAll(File(), bytes);
    Config loaded;
    const ConfigLoadResult r = LoadConfig(dir_, loaded);
    if (size < 240) {
      EXPECT_TRUE(r.Defaulted) << size;
      EXPECT_EQ(loaded.SendScores, size >= 4) << size;  // byte 3 survives a partial read
      EXPECT_EQ(loaded.Scores[0].Score.Value(), 1000u) << size;
      EXPECT_TRUE(loaded.Music) << size;
      EXPECT_EQ(ReadAll(File()).size(), 240u) << size;
    } else {
      EXPECT_FALSE(r.Defaulted) << size;
      Config expected = sample;
      expected.Scores.Sort();
      EXPECT_EQ(loaded, expected) << size;
      EXPECT_EQ(ReadAll(File()).size(), size) << "a load leaves a long file alone";
      ASSERT_TRUE(SaveConfig(dir_, loaded).Ok());
      EXPECT_EQ(ReadAll(File()).size(), 240u);
    }
  }
}

TEST_F(ConfigFileTest, UnsortedTableIsSortedAtLoad) {
  Config c = Sample();
  std::reverse(c.Scores.begin(), c.Scores.end());
  ASSERT_TRUE(SaveConfig(dir_, c).Ok());
  Config loaded;
  LoadConfig(dir_, loaded);
  const std::vector<uint32_t> scores = PlainScores(loaded);
  EXPECT_TRUE(std::is_sorted(scores.rbegin(), scores.rend()));
  EXPECT_EQ(loaded.Scores[0].Name, "a");
}

TEST_F(ConfigFileTest, FailedSaveReportsTheSystemErrorAndKeepsTheOldFile) {
  Config old = Sample();
  ASSERT_TRUE(SaveConfig(dir_, old).Ok());
  const std::vector<uint8_t> before = ReadAll(File());

  const ConfigStatus missing = SaveConfig(dir_ + "/no/such/folder", old);
  EXPECT_EQ(missing.Error, ENOENT);
  // The player reads why in Russian, not in the C library's English.
  EXPECT_NE(missing.Message.find(OsErrorText(ENOENT)), std::string::npos) << missing.Message;
  EXPECT_EQ(missing.Message.find(std::strerror(ENOENT)), std::string::npos) << missing.Message;
  EXPECT_NE(missing.Message.find("Config.cfg"), std::string::npos);

  // A folder standing where the temporary file goes, or where Config.cfg
  // goes, fails the save; the message names the file that failed.
  Config changed = old;
  changed.Music = true;
  const std::string temp = File().string() + ".tmp";
  fs::create_directory(temp);
  const ConfigStatus blocked = SaveConfig(dir_, changed);
  EXPECT_EQ(blocked.Error, EISDIR);
  EXPECT_NE(blocked.Message.find(temp + ":"), std::string::npos) << blocked.Message;
  EXPECT_TRUE(fs::is_directory(temp));
  EXPECT_EQ(ReadAll(File()), before);

  fs::remove(temp);
  fs::remove(File());
  fs::create_directories(File() / "inside");
  const ConfigStatus replaced = SaveConfig(dir_, changed);
  EXPECT_FALSE(replaced.Ok());
  EXPECT_NE(replaced.Message.find(File().string() + ":"), std::string::npos) << replaced.Message;
  EXPECT_TRUE(fs::is_directory(File() / "inside"));
  EXPECT_FALSE(fs::exists(temp));
}

// Runs `op` on a thread of its own and fails the test when it is still
// running after 5 s; the pipe at `fifo` is then opened and closed from the
// other end until the stuck open or read returns, so the test always ends.
template <class Op>
void WithinFiveSeconds(const fs::path& fifo, Op op) {
  std::future<void> done = std::async(std::launch::async, op);
  if (done.wait_for(5s) == std::future_status::ready) return;
  ADD_FAILURE() << "still waiting on " << fifo << " after 5 s";
  while (done.wait_for(50ms) != std::future_status::ready) {
    const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    std::this_thread::sleep_for(20ms);
    if (fd >= 0) ::close(fd);
  }
}

TEST_F(ConfigFileTest, APipeAtTheTemporaryNameNeitherHangsNorFailsTheSave) {
  const fs::path temp = File().string() + ".tmp";
  ASSERT_EQ(::mkfifo(temp.c_str(), 0644), 0) << std::strerror(errno);
  const Config saved = Sample();
  ConfigStatus status;
  WithinFiveSeconds(temp, [&] { status = SaveConfig(dir_, saved); });
  EXPECT_TRUE(status.Ok()) << status.Message;
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(File())));
  Config loaded;
  LoadConfig(dir_, loaded);
  EXPECT_EQ(loaded, saved);
}

TEST_F(ConfigFileTest, ALinkAtTheTemporaryNameIsNeverFollowed) {
  // One link to a file of the player's, one to a name that does not exist yet.
  const fs::path victim = fs::path(dir_) / "notes.txt";
  const fs::path absent = fs::path(dir_) / "created-through-the-link";
  const std::vector<uint8_t> notes = {'k', 'e', 'e', 'p'};
  WriteAll(victim, notes);
  const fs::path temp = File().string() + ".tmp";
  for (const fs::path& target : {victim, absent}) {
    fs::remove(temp);
    fs::create_symlink(target, temp);
    const Config saved = Sample();
    const ConfigStatus status = SaveConfig(dir_, saved);
    EXPECT_TRUE(status.Ok()) << status.Message;
    EXPECT_EQ(ReadAll(victim), notes);
    EXPECT_FALSE(fs::exists(absent));
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
    EXPECT_EQ(ReadAll(File()).size(), 240u);
  }
}

// What can stand at Config.cfg instead of a whole record.
struct DamageCase {
  const char* name;
  enum Kind { Short, Fifo, Folder, NoReadPermission } kind;
  size_t size = 0;  // of a Short file
};

void PrintTo(const DamageCase& c, std::ostream* os) {
  *os << c.name;
}

class DamagedConfigTest : public ConfigFileTest,
                          public ::testing::WithParamInterface<DamageCase> {};

// The damaged file is kept beside the new one, the player is told in one
// message, and the defaults are written.
TEST_P(DamagedConfigTest, IsKeptAsBadAndTheDefaultsWritten) {
  const DamageCase& c = GetParam();
  ConfigImage image = ConfigToImage(Sample());
  ScrambleNames(image);
  std::vector<uint8_t> bytes(image.begin(), image.end());
  switch (c.kind) {
    case DamageCase::Short:
      bytes.resize(c.size);
      WriteAll(File(), bytes);
      break;
    case DamageCase::Fifo:
      ASSERT_EQ(::mkfifo(File().c_str(), 0644), 0) << std::strerror(errno);
      break;
    case DamageCase::Folder:
      fs::create_directories(File() / "inside");
      break;
    case DamageCase::NoReadPermission:
      // Whoever may read any file (root) cannot be shown this one.
      if (::geteuid() == 0) GTEST_SKIP() << "root reads files without read permission";
      WriteAll(File(), bytes);
      fs::permissions(File(), fs::perms::none);
      break;
  }

  Config loaded;
  ConfigLoadResult r;
  WithinFiveSeconds(File(), [&] { r = LoadConfig(dir_, loaded); });
  EXPECT_TRUE(r.Defaulted);
  EXPECT_TRUE(r.Save.Ok()) << r.Save.Message;
  EXPECT_EQ(loaded.Scores[0].Score.Value(), 1000u);
  EXPECT_TRUE(loaded.Music && loaded.Windowed);

  const fs::path bad = File().string() + ".bad";
  EXPECT_EQ(r.KeptAs, bad.string());
  EXPECT_NE(r.Notice.find(bad.string()), std::string::npos) << r.Notice;
  EXPECT_NE(r.Notice.find("Config.cfg"), std::string::npos) << r.Notice;
  switch (c.kind) {
    case DamageCase::Short:
      EXPECT_EQ(ReadAll(bad), bytes);
      break;
    case DamageCase::Fifo:
      EXPECT_TRUE(fs::is_fifo(bad));
      break;
    case DamageCase::Folder:
      EXPECT_TRUE(fs::is_directory(bad / "inside"));
      break;
    case DamageCase::NoReadPermission:
      fs::permissions(bad, fs::perms::owner_read);
      EXPECT_EQ(ReadAll(bad), bytes);
      break;
  }
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(File())));
  EXPECT_EQ(ReadAll(File()).size(), 240u);

  // The next start reads the defaults without a word.
  Config again;
  const ConfigLoadResult next = LoadConfig(dir_, again);
  EXPECT_FALSE(next.Defaulted);
  EXPECT_TRUE(next.Notice.empty());
  EXPECT_EQ(again, loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedConfigTest,
    ::testing::Values(DamageCase{"Empty", DamageCase::Short, 0},
                      DamageCase{"OneByteShort", DamageCase::Short, 239},
                      DamageCase{"Pipe", DamageCase::Fifo},
                      DamageCase{"Folder", DamageCase::Folder},
                      DamageCase{"NoReadPermission", DamageCase::NoReadPermission}),
    [](const ::testing::TestParamInfo<DamageCase>& i) { return std::string(i.param.name); });

TEST_F(ConfigFileTest, AnOlderBadCopyIsNeverOverwritten) {
  const std::string bad = File().string() + ".bad";
  // Ten damaged starts: each copy gets a name of its own.
  for (int n = 0; n < 10; ++n) {
    WriteAll(File(), std::vector<uint8_t>(size_t(n + 1), uint8_t('a' + n)));
    Config loaded;
    const ConfigLoadResult r = LoadConfig(dir_, loaded);
    const std::string name = n == 0 ? bad : bad + "." + std::to_string(n);
    EXPECT_EQ(r.KeptAs, name);
    EXPECT_NE(r.Notice.find(name), std::string::npos) << r.Notice;
  }
  for (int n = 0; n < 10; ++n) {
    const std::string name = n == 0 ? bad : bad + "." + std::to_string(n);
    EXPECT_EQ(ReadAll(name), std::vector<uint8_t>(size_t(n + 1), uint8_t('a' + n))) << name;
  }
  // With every name taken the oldest copies stay: the new damaged file is
  // replaced by the defaults, and the message says it was not kept.
  WriteAll(File(), {'z'});
  Config loaded;
  const ConfigLoadResult r = LoadConfig(dir_, loaded);
  EXPECT_TRUE(r.Defaulted);
  EXPECT_TRUE(r.KeptAs.empty());
  EXPECT_FALSE(r.Notice.empty());
  EXPECT_EQ(ReadAll(File()).size(), 240u);
  EXPECT_EQ(ReadAll(bad), std::vector<uint8_t>{'a'});
  EXPECT_EQ(ReadAll(bad + ".9"), std::vector<uint8_t>(10, 'j'));
  EXPECT_FALSE(fs::exists(bad + ".10"));
}

TEST_F(ConfigFileTest, TheGameFoldersRecordCarriesOverToANewPlayersFolder) {
  // The game folder (read-only for the player) holds a record; the player's
  // own folder has none yet.
  const std::string userDir = dir_ + "/user/";
  fs::create_directory(userDir);
  const Config shipped = Sample();
  ASSERT_TRUE(SaveConfig(dir_, shipped).Ok());
  const std::vector<uint8_t> folderFile = ReadAll(File());

  Config loaded;
  const ConfigLoadResult r = LoadConfig(userDir, loaded, RealConfigFileSystem(), dir_);
  EXPECT_FALSE(r.Defaulted);
  EXPECT_TRUE(r.CarriedOver);
  EXPECT_TRUE(r.Notice.empty());
  Config expected = shipped;
  expected.Scores.Sort();
  EXPECT_EQ(loaded, expected);
  EXPECT_EQ(ReadAll(ConfigPath(userDir)), folderFile);

  // Only the first time: from then on the player's own file counts.
  Config mine = loaded;
  mine.AddText = "mine";
  ASSERT_TRUE(SaveConfig(userDir, mine).Ok());
  Config again;
  const ConfigLoadResult next = LoadConfig(userDir, again, RealConfigFileSystem(), dir_);
  EXPECT_FALSE(next.CarriedOver);
  EXPECT_EQ(again.AddText, "mine");

  // A game folder's file that is short or missing gives the defaults, without
  // a word, and is left as it is.
  for (int size : {-1, 0, 100}) {
    fs::remove(ConfigPath(userDir));
    fs::remove(File());
    if (size >= 0) WriteAll(File(), {folderFile.begin(), folderFile.begin() + size});
    Config fresh;
    const ConfigLoadResult d = LoadConfig(userDir, fresh, RealConfigFileSystem(), dir_);
    EXPECT_TRUE(d.Defaulted) << size;
    EXPECT_FALSE(d.CarriedOver) << size;
    EXPECT_TRUE(d.Notice.empty()) << size;
    EXPECT_EQ(fresh.Scores[0].Score.Value(), 1000u) << size;
    EXPECT_EQ(ReadAll(ConfigPath(userDir)).size(), 240u) << size;
    EXPECT_EQ(fs::exists(File()), size >= 0);
    if (size >= 0) {
      EXPECT_EQ(ReadAll(File()).size(), size_t(size));
    }
    EXPECT_FALSE(fs::exists(File().string() + ".bad"));
  }
}

TEST_F(ConfigFileTest, ConfigLivesBesideTheProgramWhenItMayWriteThere) {
  EXPECT_EQ(ChooseConfigDir(dir_, "/user/dir"), dir_);
  EXPECT_EQ(ChooseConfigDir(dir_ + "/missing", "/user/dir"), "/user/dir");
  EXPECT_EQ(ChooseConfigDir(dir_ + "/missing", ""), dir_ + "/missing");
  const std::string file = File().string();
  WriteAll(File(), {1});
  EXPECT_EQ(ChooseConfigDir(file, "/user/dir"), "/user/dir");  // not a folder
  EXPECT_EQ(ConfigPath("/a/b"), "/a/b/Config.cfg");
  EXPECT_EQ(ConfigPath("/a/b/"), "/a/b/Config.cfg");
}

}  // namespace
}  // namespace klv
