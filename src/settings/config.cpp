#include "settings/config.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "settings/os_error_text.h"

namespace klv {

namespace {

// Field offsets in the record.
constexpr size_t kMusicAt = 0;
constexpr size_t kSoundAt = 1;
constexpr size_t kWindowedAt = 2;
constexpr size_t kSendScoresAt = 3;
constexpr size_t kAddTextAt = 4;
constexpr size_t kGameNameAt = 15;
constexpr size_t kPlayerNameAt = 24;
constexpr size_t kLevelsAt = 33;
constexpr size_t kScoresAt = 36;
constexpr size_t kEntrySize = 20;
constexpr size_t kEntryScoreAt = 16;
constexpr size_t kHelpPagesAt = 236;

// Code page 1251 bytes of the default texts.
constexpr char kDefaultGameName[] = "\xC8\xE3\xF0\xE0";            // Игра
constexpr char kDefaultPlayerName[] = "\xC0\xED\xEE\xED\xE8\xEC";  // Аноним

void PutString(ConfigImage& image, size_t at, size_t capacity, const std::string& s) {
  const size_t n = std::min(s.size(), capacity);
  image[at] = static_cast<uint8_t>(n);
  std::memcpy(image.data() + at + 1, s.data(), n);
}

std::string GetString(const ConfigImage& image, size_t at, size_t capacity) {
  const size_t n = std::min<size_t>(image[at], capacity);
  return std::string(reinterpret_cast<const char*>(image.data() + at + 1), n);
}

void PutU32(ConfigImage& image, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const ConfigImage& image, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t{image[at + i]} << (8 * i);
  return v;
}

void ShiftNames(ConfigImage& image, int direction) {
  for (int i = 1; i <= kScoreEntries; ++i) {
    const size_t at = kScoresAt + kEntrySize * (i - 1);
    const size_t n = std::min<size_t>(image[at], kScoreNameCapacity);
    for (size_t k = 1; k <= n; ++k)
      image[at + k] = static_cast<uint8_t>(image[at + k] + direction * i);
  }
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The save's failure message, for the player: it names the file that failed
// and why. The settings stay in use as they are.
std::string FailureText(const char* what, const std::string& path, int error) {
  return std::string("Настройки не сохранены: не удалось ") + what + " " + path + ": " +
         OsErrorText(error) + ".";
}

// A damaged file is kept under the first free one of these names.
constexpr int kBadCopies = 10;
std::string BadCopyPath(const std::string& path, int n) {
  return n == 0 ? path + ".bad" : path + ".bad." + std::to_string(n);
}

// Why a file that stands at the path holds no record, for the player.
std::string DamageReason(int readError, size_t got) {
  if (readError == EISDIR || readError == kNotARegularFile) return "это не обычный файл";
  if (readError != 0) return "он не читается: " + OsErrorText(readError);
  if (got == 0) return "он пуст";
  return "он короче " + std::to_string(kConfigSize) + " байт";
}

int RegularFileOrError(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return 0;
  return S_ISDIR(st.st_mode) ? EISDIR : kNotARegularFile;
}

// The machine's own files, through POSIX calls.
class PosixConfigFileSystem : public ConfigFileSystem {
 public:
  int ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& data,
               int& closeError) override {
    data.clear();
    closeError = 0;
    // Anything but a regular file is refused before it is opened (a pipe
    // would wait for a writer, a device may act on being opened), and again
    // after the open, which never waits, should it have been swapped.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    if (int e = RegularFileOrError(st)) return e;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    if (int e = ::fstat(fd, &st) == 0 ? RegularFileOrError(st) : errno) {
      ::close(fd);
      return e;
    }
    int error = 0;
    data.resize(limit);
    size_t got = 0;
    while (got < limit) {
      const ssize_t n = ::read(fd, data.data() + got, limit - got);
      if (n < 0) {
        if (errno == EINTR) continue;
        error = errno;
        break;
      }
      if (n == 0) break;
      got += static_cast<size_t>(n);
    }
    data.resize(got);
    if (::close(fd) != 0) closeError = errno;
    return error;
  }

  int Create(const std::string& path, int& handle) override {
    handle = -1;
    // A stale file, a link or a pipe left at the name goes first (the link
    // itself, never what it points to); a folder stays and fails the save.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return errno;
    // Only a file made here and now is written: should anything have taken
    // the name meanwhile, the create fails rather than open it.
    handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    return handle < 0 ? errno : 0;
  }

  int Write(int handle, const uint8_t* data, size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(handle, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (n == 0) return EIO;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return 0;
  }

  int Sync(int handle) override { return ::fsync(handle) == 0 ? 0 : errno; }
  int Close(int handle) override { return ::close(handle) == 0 ? 0 : errno; }

  int Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  int RenameNoReplace(const std::string& from, const std::string& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    // A file system that cannot refuse by itself: look first.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  int SyncDir(const std::string& dir) override {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = ::fsync(fd) == 0 ? 0 : errno;
    // Some file systems cannot sync a folder; the rename stands all the same.
    if (error == EINVAL || error == EROFS) error = 0;
    ::close(fd);
    return error;
  }

  int Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

  bool DirWritable(const std::string& dir) override {
    struct stat st {};
    if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return ::access(dir.empty() ? "." : dir.c_str(), W_OK | X_OK) == 0;
  }
};

}  // namespace

ConfigImage ConfigToImage(const Config& config) {
  ConfigImage image{};
  image[kMusicAt] = config.Music ? 1 : 0;
  image[kSoundAt] = config.Sound ? 1 : 0;
  image[kWindowedAt] = config.Windowed ? 1 : 0;
  image[kSendScoresAt] = config.SendScores ? 1 : 0;
  PutString(image, kAddTextAt, kAddTextCapacity, config.AddText);
  PutString(image, kGameNameAt, kGameNameCapacity, config.GameName);
  PutString(image, kPlayerNameAt, kPlayerNameCapacity, config.PlayerName);
  PutString(image, kLevelsAt, kLevelsCapacity, config.Levels);
  for (int i = 0; i < kScoreEntries; ++i) {
    const size_t at = kScoresAt + kEntrySize * i;
    PutString(image, at, kScoreNameCapacity, config.Scores[i].Name);
    PutU32(image, at + kEntryScoreAt, config.Scores[i].Score.MaskedValue());
  }
  image[kHelpPagesAt] = config.HelpPages;
  return image;
}

Config ConfigFromImage(const ConfigImage& image) {
  Config config;
  config.Music = image[kMusicAt] != 0;
  config.Sound = image[kSoundAt] != 0;
  config.Windowed = image[kWindowedAt] != 0;
  config.SendScores = image[kSendScoresAt] != 0;
  config.AddText = GetString(image, kAddTextAt, kAddTextCapacity);
  config.GameName = GetString(image, kGameNameAt, kGameNameCapacity);
  config.PlayerName = GetString(image, kPlayerNameAt, kPlayerNameCapacity);
  config.Levels = GetString(image, kLevelsAt, kLevelsCapacity);
  for (int i = 0; i < kScoreEntries; ++i) {
    const size_t at = kScoresAt + kEntrySize * i;
    config.Scores[i].Name = GetString(image, at, kScoreNameCapacity);
    config.Scores[i].Score = Score::Masked(GetU32(image, at + kEntryScoreAt));
  }
  config.HelpPages = image[kHelpPagesAt];
  return config;
}

void ScrambleNames(ConfigImage& image) {
  ShiftNames(image, +1);
}
void UnscrambleNames(ConfigImage& image) {
  ShiftNames(image, -1);
}

void SetDefaults(Config& config) {
  config.Music = true;
  config.Sound = true;
  config.Windowed = true;
  config.AddText.clear();
  config.GameName = kDefaultGameName;
  config.PlayerName = kDefaultPlayerName;
  config.Levels = "5";
  config.HelpPages = 4;
  config.Scores.SetDefault();
}

ConfigFileSystem& RealConfigFileSystem() {
  static PosixConfigFileSystem fs;
  return fs;
}

std::string ConfigPath(const std::string& dir) {
  return JoinPath(dir, kConfigFileName);
}

std::string ChooseConfigDir(const std::string& appDir, const std::string& userDir,
                            ConfigFileSystem& fs) {
  if (userDir.empty() || fs.DirWritable(appDir)) return appDir;
  return userDir;
}

ConfigStatus SaveConfig(const std::string& dir, const Config& config, ConfigFileSystem& fs) {
  ConfigImage image = ConfigToImage(config);
  ScrambleNames(image);

  const std::string path = ConfigPath(dir);
  const std::string temp = path + ".tmp";
  auto fail = [&](const char* what, const std::string& file, int error) {
    return ConfigStatus{error, FailureText(what, file, error)};
  };

  int handle = -1;
  if (int e = fs.Create(temp, handle)) return fail("создать", temp, e);
  int e = fs.Write(handle, image.data(), image.size());
  if (e == 0) e = fs.Sync(handle);
  if (e != 0) {
    fs.Close(handle);
    fs.Remove(temp);
    return fail("записать", temp, e);
  }
  if (int ce = fs.Close(handle)) {
    fs.Remove(temp);
    return fail("записать", temp, ce);
  }
  if (int re = fs.Rename(temp, path)) {
    fs.Remove(temp);
    return fail("заменить", path, re);
  }
  if (int se = fs.SyncDir(dir)) return fail("сохранить", path, se);
  return {};
}

bool ConfigFromFileBytes(const std::vector<uint8_t>& bytes, Config& config) {
  ConfigImage image{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
  UnscrambleNames(image);
  config = ConfigFromImage(image);
  const bool whole = bytes.size() >= kConfigSize;
  if (!whole) SetDefaults(config);
  config.Scores.Sort();
  return whole;
}

ConfigLoadResult LoadConfig(const std::string& dir, Config& config, ConfigFileSystem& fs,
                            const std::string& carryFromDir) {
  ConfigLoadResult result;
  const std::string path = ConfigPath(dir);
  std::vector<uint8_t> bytes;
  int closeError = 0;
  const int readError = fs.ReadFile(path, kConfigSize, bytes, closeError);
  if (readError != 0) bytes.resize(std::min(bytes.size(), kConfigSize - 1));
  if (ConfigFromFileBytes(bytes, config)) {
    result.CloseFailed = closeError != 0;
    return result;
  }
  result.Defaulted = true;

  if (readError == ENOENT || readError == ENOTDIR) {
    // No file yet: the game folder's record, when there is one, is where the
    // player's own file starts from. That file is only read, never changed.
    if (!carryFromDir.empty() && ConfigPath(carryFromDir) != path) {
      std::vector<uint8_t> carried;
      int ignored = 0;
      Config fromGame;
      if (fs.ReadFile(ConfigPath(carryFromDir), kConfigSize, carried, ignored) == 0 &&
          ConfigFromFileBytes(carried, fromGame)) {
        config = fromGame;
        result.Defaulted = false;
        result.CarriedOver = true;
      }
    }
    result.Save = SaveConfig(dir, config, fs);
    return result;
  }

  // A file stands there but holds no record: it is moved aside, never
  // written over, so whatever the player's table was stays on the disk.
  int keepError = EEXIST;
  for (int n = 0; n < kBadCopies && keepError == EEXIST; ++n) {
    keepError = fs.RenameNoReplace(path, BadCopyPath(path, n));
    if (keepError == 0) result.KeptAs = BadCopyPath(path, n);
  }
  const std::string damaged =
      "Файл настроек " + path + " испорчен (" + DamageReason(readError, bytes.size()) + ").\n";
  if (keepError == 0) {
    result.Notice = damaged + "Он сохранён как " + result.KeptAs +
                    ", а настройки и таблица рекордов начаты заново.";
  } else if (keepError == EEXIST) {
    result.Notice = damaged + "Настройки и таблица рекордов начаты заново. Копия не сохранена: " +
                    BadCopyPath(path, 0) + " … " + BadCopyPath(path, kBadCopies - 1) + " уже есть.";
  } else if (keepError != ENOENT) {
    // Not moved (the folder refuses it): left as it is, and not written over
    // now. The game goes on with the defaults.
    result.Notice = damaged + "Отложить его не удалось (" + OsErrorText(keepError) +
                    "); игра начата с настройками по умолчанию.";
    return result;
  }
  result.Save = SaveConfig(dir, config, fs);
  return result;
}

}  // namespace klv
