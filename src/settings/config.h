#pragma once
// The settings and score record the game keeps between runs, and its file
// Config.cfg: one 240-byte record, little-endian, written whole.
//
// Layout of the file (offsets in bytes; short strings are a length byte then
// up to `capacity` code page 1251 bytes; gaps and bytes past a length are
// written as zero and ignored on reading):
//     0 Music   1 Sound   2 Windowed   3 SendScores      (0 off, else on)
//     4 AddText (10)  15 GameName (8)  24 PlayerName (8)  33 Levels (2)
//    36 Scores: 10 entries of 20 bytes: Name (12) at +0, Score (uint32) at +16
//   236 HelpPages   237..239 gap
// On disk each name byte of entry i (1..10) is stored plus i, modulo 256.

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/score_table.h"

namespace klv {

constexpr size_t kConfigSize = 240;
// Capacities of the short strings, in code page 1251 bytes.
constexpr size_t kAddTextCapacity = 10;
constexpr size_t kGameNameCapacity = 8;
constexpr size_t kPlayerNameCapacity = 8;
constexpr size_t kLevelsCapacity = 2;

constexpr const char* kConfigFileName = "Config.cfg";

// The record in memory. Strings hold code page 1251 bytes; longer strings
// are cut to their capacity when written.
struct Config {
  bool Music = false;
  bool Sound = false;
  bool Windowed = false;
  bool SendScores = false;
  std::string AddText;
  std::string GameName;
  std::string PlayerName;
  std::string Levels;
  ScoreTable Scores;  // the local high-score table, [0] the best
  uint8_t HelpPages = 0;
  bool operator==(const Config&) const = default;
};

using ConfigImage = std::array<uint8_t, kConfigSize>;

// The record as the bytes of the file, names plain (not yet scrambled).
ConfigImage ConfigToImage(const Config& config);
// Reads a record from its bytes with plain names. A length byte above its
// field's capacity is read as the capacity; flags other than 0 are on.
Config ConfigFromImage(const ConfigImage& image);

// The name transforms of the file, in place on a record's bytes: each of the
// first n name bytes of entry i (n its length byte, at most the capacity) is
// moved up (Scramble) or down (Unscramble) by i, modulo 256.
void ScrambleNames(ConfigImage& image);
void UnscrambleNames(ConfigImage& image);

// The defaults written when no usable file exists: music, sound and window
// on, AddText empty, "Игра", "Аноним", "5", 4 help pages, and the default
// table ("Ваня", 1000 down to 100). SendScores is left as it is.
void SetDefaults(Config& config);

// ReadFile's answer for a pipe, a device or a socket standing at the path.
constexpr int kNotARegularFile = EINVAL;

// The file steps of loading and saving, so tests can fail or stop any step.
// Every call returns 0 or an errno value, and none waits on another process.
class ConfigFileSystem {
 public:
  virtual ~ConfigFileSystem() = default;
  // Reads at most `limit` bytes of the file into `data` (fewer if it is
  // shorter). Only a regular file is read: a folder gives EISDIR, anything
  // else kNotARegularFile. A failure of the final close goes to closeError.
  virtual int ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& data,
                       int& closeError) = 0;
  // Creates a new empty file for writing, never through a link: whatever
  // stands at `path` (a stale file, a link, a pipe) is removed first; a
  // folder there is an error.
  virtual int Create(const std::string& path, int& handle) = 0;
  virtual int Write(int handle, const uint8_t* data, size_t size) = 0;
  virtual int Sync(int handle) = 0;
  virtual int Close(int handle) = 0;
  // Replaces `to` by `from` in one step.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // Gives `from` the name `to` only when nothing stands there (else EEXIST).
  virtual int RenameNoReplace(const std::string& from, const std::string& to) = 0;
  virtual int SyncDir(const std::string& dir) = 0;
  virtual int Remove(const std::string& path) = 0;
  virtual bool DirWritable(const std::string& dir) = 0;
};
// The machine's own files.
ConfigFileSystem& RealConfigFileSystem();

// The outcome of a file operation: Error is 0 or the OS error number, and
// Message the text to show the player when it is not 0.
struct ConfigStatus {
  int Error = 0;
  std::string Message;
  bool Ok() const { return Error == 0; }
};

// Path of Config.cfg in a folder (with or without a trailing slash).
std::string ConfigPath(const std::string& dir);
// The folder of Config.cfg: beside the executable when the game may write
// there, otherwise the per-user data folder the platform gives (when it has
// none, the executable's folder all the same).
std::string ChooseConfigDir(const std::string& appDir, const std::string& userDir,
                            ConfigFileSystem& fs = RealConfigFileSystem());

// Writes the record to dir/Config.cfg without ever cutting the only copy: the
// record goes to a temporary file in the same folder, which is synced and then
// renamed over Config.cfg, and the folder is synced. Whatever step fails or
// the process dies at, the file holds the old record or the new one. A
// failure is returned, never thrown: the caller shows Message in a box and
// the game goes on. The record in memory is never changed.
ConfigStatus SaveConfig(const std::string& dir, const Config& config,
                        ConfigFileSystem& fs = RealConfigFileSystem());

struct ConfigLoadResult {
  // No usable record was found (missing, short or unreadable file): the
  // defaults were set and written (unless a damaged file could not be moved
  // aside); Save tells how that write went.
  bool Defaulted = false;
  ConfigStatus Save;
  // The record was read but closing the file failed: the values read are in
  // use; the caller shows "Please delete file Config.cfg".
  bool CloseFailed = false;
  // The record came from the game folder's file, as the player's own folder
  // had none yet.
  bool CarriedOver = false;
  // Where the damaged file was kept (a path), empty when none was kept.
  std::string KeptAs;
  // Text for one message box (UTF-8) when the file stood there but could not
  // be used; empty otherwise.
  std::string Notice;
};

// Reads dir/Config.cfg into `config` (names plain, scores masked, table
// sorted). A file longer than one record is accepted (the next save cuts it
// to 240 bytes). Damaged contents never fail a load.
//
// When dir has no Config.cfg yet, the one in carryFromDir (the game's own
// folder, when the player's settings live elsewhere) is the starting point if
// it holds a record; else the defaults are set and written at once.
//
// A file that is shorter than a record, cannot be read or is no regular file
// is kept beside the new one under the first free name of Config.cfg.bad,
// Config.cfg.bad.1 .. Config.cfg.bad.9 (older copies are never touched); then
// the defaults are applied over what was read (SendScores keeps the byte
// read, 0 if none) and written, and Notice tells the player. When the file
// cannot be moved aside (but for a full set of copies), nothing is written
// over it at load; Notice says so, and the next save replaces it.
ConfigLoadResult LoadConfig(const std::string& dir, Config& config,
                            ConfigFileSystem& fs = RealConfigFileSystem(),
                            const std::string& carryFromDir = "");

// The load from the bytes of a file alone: true when they hold a record
// (then `config` is it, sorted); false leaves the partly read record with the
// defaults applied, as LoadConfig does before it writes them.
bool ConfigFromFileBytes(const std::vector<uint8_t>& bytes, Config& config);

}  // namespace klv
