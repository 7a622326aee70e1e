// The settings file under faults: a save stopped or failing at any step, a
// power cut after any step, and every single bit of a stored file flipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/config.h"

namespace klv {
namespace {

// A folder in memory that knows which of its changes would survive a power
// cut: file contents only once synced, names only once the folder is synced.
// Every change counts as one step; from `StopAt` on, steps fail with EIO and
// change nothing (the process is gone). `FailAt` makes just that step fail.
class ModelFileSystem : public ConfigFileSystem {
 public:
  struct Inode {
    std::vector<uint8_t> data;
    std::vector<uint8_t> durable;
  };

  int Steps = 0;
  int StopAt = -1;
  int FailAt = -1;
  int FailError = ENOSPC;
  std::vector<std::string> Log;

  // The folder as it stands, and after a power cut.
  std::map<std::string, std::shared_ptr<Inode>> Names;
  std::map<std::string, std::shared_ptr<Inode>> DurableNames;

  void PowerCut() {
    Names = DurableNames;
    for (auto& [name, inode] : Names) inode->data = inode->durable;
  }
  // A healthy copy of the folder as it stands (for the next run of the game).
  std::unique_ptr<ModelFileSystem> Reboot() const {
    auto fresh = std::make_unique<ModelFileSystem>();
    for (const auto& [name, inode] : Names) {
      auto copy = std::make_shared<Inode>(*inode);
      copy->durable = copy->data;
      fresh->Names[name] = copy;
    }
    fresh->DurableNames = fresh->Names;
    return fresh;
  }
  bool Has(const std::string& name) const { return Names.count(name) != 0; }

  int ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& data,
               int& closeError) override {
    closeError = 0;
    data.clear();
    auto it = Names.find(path);
    if (it == Names.end()) return ENOENT;
    const auto& bytes = it->second->data;
    data.assign(bytes.begin(), bytes.begin() + std::min(limit, bytes.size()));
    return 0;
  }
  int Create(const std::string& path, int& handle) override {
    if (int e = Step("create " + path)) return e;
    auto& inode = Names[path];
    if (!inode) inode = std::make_shared<Inode>();
    inode->data.clear();
    handles_.push_back(inode);
    handle = static_cast<int>(handles_.size()) - 1;
    return 0;
  }
  int Write(int handle, const uint8_t* data, size_t size) override {
    if (int e = Step("write")) return e;
    handles_.at(handle)->data.insert(handles_.at(handle)->data.end(), data, data + size);
    return 0;
  }
  int Sync(int handle) override {
    if (int e = Step("sync")) return e;
    handles_.at(handle)->durable = handles_.at(handle)->data;
    return 0;
  }
  int Close(int) override { return Step("close"); }
  int Rename(const std::string& from, const std::string& to) override {
    if (int e = Step("rename")) return e;
    auto it = Names.find(from);
    if (it == Names.end()) return ENOENT;
    Names[to] = it->second;
    Names.erase(from);
    return 0;
  }
  int RenameNoReplace(const std::string& from, const std::string& to) override {
    if (int e = Step("keep")) return e;
    if (Has(to)) return EEXIST;
    auto it = Names.find(from);
    if (it == Names.end()) return ENOENT;
    Names[to] = it->second;
    Names.erase(from);
    return 0;
  }
  int SyncDir(const std::string&) override {
    if (int e = Step("syncdir")) return e;
    DurableNames = Names;
    return 0;
  }
  int Remove(const std::string& path) override {
    if (int e = Step("remove")) return e;
    return Names.erase(path) ? 0 : ENOENT;
  }
  bool DirWritable(const std::string&) override { return true; }

 private:
  int Step(const std::string& what) {
    const int step = Steps++;
    Log.push_back(what);
    if (StopAt >= 0 && step >= StopAt) return EIO;
    if (step == FailAt) return FailError;
    return 0;
  }
  std::vector<std::shared_ptr<Inode>> handles_;
};

const std::string kDir = "/game";
const std::string kFile = "/game/Config.cfg";

Config WithTable(uint32_t top, const std::string& name) {
  Config c;
  SetDefaults(c);
  for (int i = 0; i < kScoreEntries; ++i) {
    c.Scores[i] = {name + std::to_string(i), Score::Plain(top - 10 * i)};
  }
  return c;
}

// The model folder holding the old record, durably.
std::unique_ptr<ModelFileSystem> FolderWith(const Config& config) {
  auto fs = std::make_unique<ModelFileSystem>();
  EXPECT_TRUE(SaveConfig(kDir, config, *fs).Ok());
  return fs->Reboot();
}

Config LoadFrom(ModelFileSystem& fs, ConfigLoadResult* result = nullptr) {
  Config loaded;
  ConfigLoadResult r = LoadConfig(kDir, loaded, fs);
  if (result) *result = r;
  return loaded;
}

TEST(ConfigFaultTest, ASaveTakesTheseStepsInOrder) {
  ModelFileSystem fs;
  ASSERT_TRUE(SaveConfig(kDir, WithTable(500, "n"), fs).Ok());
  EXPECT_EQ(fs.Log, (std::vector<std::string>{"create /game/Config.cfg.tmp", "write", "sync",
                                              "close", "rename", "syncdir"}));
}

TEST(ConfigFaultTest, AStoppedSaveLeavesTheOldOrTheNewRecord) {
  const Config oldConfig = WithTable(900, "old");
  const Config newConfig = WithTable(500, "new");
  constexpr int kSteps = 6;
  for (int stop = 0; stop <= kSteps; ++stop) {
    for (bool powerCut : {false, true}) {
      auto fs = FolderWith(oldConfig);
      fs->StopAt = stop;
      const ConfigStatus status = SaveConfig(kDir, newConfig, *fs);
      EXPECT_EQ(status.Ok(), stop == kSteps) << stop;
      if (powerCut) fs->PowerCut();

      auto next = fs->Reboot();  // the next start of the game
      ConfigLoadResult r;
      const Config loaded = LoadFrom(*next, &r);
      EXPECT_FALSE(r.Defaulted) << "stop " << stop << " cut " << powerCut;
      const bool isOld = loaded.Scores == oldConfig.Scores;
      const bool isNew = loaded.Scores == newConfig.Scores;
      EXPECT_TRUE(isOld || isNew) << "stop " << stop << " cut " << powerCut;
      // Once the folder is synced the new record has to stay.
      if (stop == kSteps) {
        EXPECT_TRUE(isNew) << powerCut;
      }
      if (stop <= 4) {
        EXPECT_TRUE(isOld) << stop;
      }

      // A leftover temporary file does not stand in the way of the next save.
      ASSERT_TRUE(SaveConfig(kDir, newConfig, *next).Ok()) << stop;
      EXPECT_EQ(LoadFrom(*next).Scores, newConfig.Scores);
      EXPECT_FALSE(next->Has(kFile + ".tmp"));
    }
  }
}

TEST(ConfigFaultTest, AFailingStepIsReportedAndTheOldRecordKept) {
  const Config oldConfig = WithTable(900, "old");
  const Config newConfig = WithTable(500, "new");
  for (int fail = 0; fail < 6; ++fail) {
    auto fs = FolderWith(oldConfig);
    fs->FailAt = fail;
    fs->FailError = fail % 2 ? ENOSPC : EIO;
    const ConfigStatus status = SaveConfig(kDir, newConfig, *fs);
    EXPECT_EQ(status.Error, fs->FailError) << fail;
    EXPECT_NE(status.Message.find("Config.cfg"), std::string::npos);
    const Config loaded = LoadFrom(*fs);
    // Only the last step (syncing the folder) comes after the new record is in place.
    EXPECT_EQ(loaded.Scores, fail == 5 ? newConfig.Scores : oldConfig.Scores) << fail;
    EXPECT_FALSE(fs->Has(kFile + ".tmp")) << fail;
  }
}

TEST(ConfigFaultTest, AFailedDefaultWriteStillLeavesTheDefaultsInUse) {
  ModelFileSystem fs;
  fs.FailAt = 1;  // the write of the new file
  ConfigLoadResult r;
  const Config loaded = LoadFrom(fs, &r);
  EXPECT_TRUE(r.Defaulted);
  EXPECT_EQ(r.Save.Error, ENOSPC);
  EXPECT_FALSE(r.Save.Message.empty());
  EXPECT_EQ(loaded.Scores[0].Score.Value(), 1000u);
  EXPECT_FALSE(fs.Has(kFile));
}

TEST(ConfigFaultTest, FailedCloseAfterAGoodReadKeepsTheValuesAndTheFile) {
  class CloseFails : public ModelFileSystem {
   public:
    int ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& data,
                 int& closeError) override {
      const int e = ModelFileSystem::ReadFile(path, limit, data, closeError);
      closeError = EIO;
      return e;
    }
  };
  CloseFails fs;
  const Config saved = WithTable(700, "x");
  ASSERT_TRUE(SaveConfig(kDir, saved, fs).Ok());
  ConfigLoadResult r;
  const Config loaded = LoadFrom(fs, &r);
  EXPECT_TRUE(r.CloseFailed);
  EXPECT_FALSE(r.Defaulted);
  EXPECT_EQ(loaded, saved);
  EXPECT_TRUE(fs.Has(kFile));
}

TEST(ConfigFaultTest, ADamagedFileThatCannotBeMovedAsideIsNotWrittenOver) {
  auto fs = FolderWith(WithTable(700, "x"));
  fs->Names.at(kFile)->data.resize(200);
  fs->FailAt = 0;  // the move to Config.cfg.bad
  fs->FailError = EACCES;
  ConfigLoadResult r;
  const Config loaded = LoadFrom(*fs, &r);
  EXPECT_TRUE(r.Defaulted);
  EXPECT_TRUE(r.KeptAs.empty());
  EXPECT_NE(r.Notice.find(kFile), std::string::npos) << r.Notice;
  EXPECT_EQ(fs->Log, std::vector<std::string>{"keep"});
  EXPECT_EQ(fs->Names.at(kFile)->data.size(), 200u);
  EXPECT_EQ(loaded.Scores[0].Score.Value(), 1000u);
}

// Counts how many of `after`'s entries are not in `before` (as name and score).
int ChangedEntries(const Config& before, const Config& after) {
  int changed = 0;
  for (const auto& e : after.Scores) {
    if (std::find(before.Scores.begin(), before.Scores.end(), e) == before.Scores.end()) {
      ++changed;
    }
  }
  return changed;
}

TEST(ConfigFaultTest, EveryFlippedBitLoadsWithoutLosingTheTable) {
  Config saved = WithTable(100000, "");
  for (int i = 0; i < kScoreEntries; ++i) saved.Scores[i].Name = std::string(12, 'a' + i);
  saved.Scores[3].Name = "\xFF\xF8";  // bytes that wrap when scrambled
  saved.AddText = "add";
  auto clean = FolderWith(saved);
  const std::vector<uint8_t> good = clean->Names.at(kFile)->data;
  ASSERT_EQ(good.size(), kConfigSize);

  for (size_t bit = 0; bit < good.size() * 8; ++bit) {
    auto fs = clean->Reboot();
    fs->Names.at(kFile)->data[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    ConfigLoadResult r;
    const Config loaded = LoadFrom(*fs, &r);
    ASSERT_FALSE(r.Defaulted) << bit;
    EXPECT_LE(loaded.AddText.size(), kAddTextCapacity);
    EXPECT_LE(loaded.GameName.size(), kGameNameCapacity);
    EXPECT_LE(loaded.PlayerName.size(), kPlayerNameCapacity);
    EXPECT_LE(loaded.Levels.size(), kLevelsCapacity);
    std::vector<uint32_t> scores;
    for (const auto& e : loaded.Scores) {
      EXPECT_LE(e.Name.size(), kScoreNameCapacity);
      scores.push_back(e.Score.Value());
    }
    EXPECT_TRUE(std::is_sorted(scores.rbegin(), scores.rend())) << bit;
    // One bit touches at most one entry; the other nine are as saved.
    EXPECT_LE(ChangedEntries(saved, loaded), 1) << bit;
    // And the damaged record saves and loads again as it was read.
    ASSERT_TRUE(SaveConfig(kDir, loaded, *fs).Ok());
    EXPECT_EQ(LoadFrom(*fs), loaded) << bit;
  }
}

TEST(ConfigFaultTest, EveryCutLengthLoads) {
  auto clean = FolderWith(WithTable(5000, "t"));
  const std::vector<uint8_t> good = clean->Names.at(kFile)->data;
  for (size_t size = 0; size <= good.size(); ++size) {
    auto fs = clean->Reboot();
    fs->Names.at(kFile)->data.resize(size);
    ConfigLoadResult r;
    const Config loaded = LoadFrom(*fs, &r);
    EXPECT_EQ(r.Defaulted, size < kConfigSize) << size;
    EXPECT_EQ(fs->Names.at(kFile)->data.size(), kConfigSize) << size;
    EXPECT_EQ(loaded.Scores[0].Score.Value(), size < kConfigSize ? 1000u : 5000u) << size;
  }
}

}  // namespace
}  // namespace klv
