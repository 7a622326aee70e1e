#include "replay/replay_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <string>

namespace klv {
namespace {

ReplayFile Sample() {
  ReplayFile r;
  r.GameVersion = "1.0.0";
  r.Start.RngState = 0x0123456789ABCDEFull;
  r.Start.ClockUs = 5'000'000;
  r.Start.FrameLastTickUs = 4'990'000;
  r.Start.FrameIntervalMs = 16;
  r.Start.FrameCounter = 255;
  r.Start.Settings = kReplayMusic | kReplaySound;
  r.Start.FrameActive = true;
  for (int i = 0; i < 3000; ++i) r.Input.push_back(static_cast<uint8_t>(i % 7));
  r.Result.Score = 4321;
  r.Result.Level = 3;
  r.Result.Name = "\xc8\xe2\xe0\xed";  // "Иван" in code page 1251
  r.Result.Frames = 9000;
  r.Result.GameMs = 150'000;
  return r;
}

void PutLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A file with a hand-made body, packed and checksummed as the game would.
std::vector<uint8_t> HandMade(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> file = {'K', 'L', 'V', 'R', 1, 0, 0, 0};
  file.resize(kReplayHeaderBytes);
  uLongf packed = compressBound(body.size());
  std::vector<uint8_t> z(packed);
  compress2(z.data(), &packed, body.data(), body.size(), 9);
  PutLe32(file, 8, static_cast<uint32_t>(body.size()));
  PutLe32(file, 12, static_cast<uint32_t>(packed));
  PutLe32(file, 16, static_cast<uint32_t>(crc32(0, body.data(), body.size())));
  file.insert(file.end(), z.begin(), z.begin() + packed);
  return file;
}

TEST(ReplayFile, RoundTripKeepsEveryField) {
  const ReplayFile r = Sample();
  const std::vector<uint8_t> bytes = EncodeReplay(r);
  EXPECT_EQ(DecodeReplay(bytes), r);
  // An empty input stream and no name are a valid (if short) game.
  ReplayFile empty = Sample();
  empty.Input.clear();
  empty.Result.Name.clear();
  EXPECT_EQ(DecodeReplay(EncodeReplay(empty)), empty);
}

TEST(ReplayFile, RefusesReplaysBeyondItsBounds) {
  const std::vector<std::function<void(ReplayFile&)>> edits = {
      [](ReplayFile& r) { r.Result.Name = std::string(13, 'a'); },
      [](ReplayFile& r) { r.GameVersion = std::string(33, '1'); },
      [](ReplayFile& r) { r.Start.FrameIntervalMs = 0; },
      [](ReplayFile& r) { r.Start.Settings = 8; },
      [](ReplayFile& r) { r.Start.FrameLastTickUs = r.Start.ClockUs + 1; },
      [](ReplayFile& r) { r.Result.Frames = kReplayMaxFrames + 1; },
      [](ReplayFile& r) { r.Result.GameMs = kReplayMaxGameMs + 1; },
  };
  for (size_t i = 0; i < edits.size(); ++i) {
    ReplayFile r = Sample();
    edits[i](r);
    EXPECT_THROW(EncodeReplay(r), ReplayError) << "edit " << i;
  }
}

// Every damaged, foreign or hand-made file is refused with a reason that
// says what is wrong with it.
TEST(ReplayFile, RefusesDamagedFilesClearly) {
  const std::vector<uint8_t> good = EncodeReplay(Sample());
  std::vector<uint8_t> bodyOnly;  // a valid body for hand-made files
  // The body as the format describes it, every field zero but the frame
  // interval: no version, no name, no input.
  bodyOnly.assign(49, 0);
  bodyOnly[25] = 16;
  struct Case {
    const char* what;
    std::function<std::vector<uint8_t>()> make;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"empty", [] { return std::vector<uint8_t>{}; }, "not a replay"},
      {"a picture", [] { return std::vector<uint8_t>{0x89, 'P', 'N', 'G', 13, 10}; },
       "not a replay"},
      {"header cut", [&] { return std::vector<uint8_t>(good.begin(), good.begin() + 10); },
       "truncated"},
      {"body cut", [&] { return std::vector<uint8_t>(good.begin(), good.end() - 5); }, "truncated"},
      {"bytes after the end",
       [&] {
         auto b = good;
         b.push_back(0);
         return b;
       },
       "after its end"},
      {"another format version",
       [&] {
         auto b = good;
         b[4] = 2;
         return b;
       },
       "format version 2"},
      {"unknown flags",
       [&] {
         auto b = good;
         b[6] = 1;
         return b;
       },
       "unknown flags"},
      {"a flipped bit in the packed body",
       [&] {
         auto b = good;
         b[b.size() / 2] ^= 0x10;
         return b;
       },
       "damaged"},
      {"a flipped bit in the checksum",
       [&] {
         auto b = good;
         b[17] ^= 1;
         return b;
       },
       "checksum"},
      {"body size that lies",
       [&] {
         auto b = good;
         PutLe32(b, 8, 100);
         return b;
       },
       "do not unpack"},
      {"body bigger than allowed",
       [&] {
         auto b = good;
         PutLe32(b, 8, uint32_t(kReplayMaxBodyBytes + 1));
         return b;
       },
       "too big"},
      {"oversized file", [] { return std::vector<uint8_t>(kReplayMaxFileBytes + 1, 'K'); },
       "too big"},
      {"hand-made: the body ends early",
       [&] { return HandMade(std::vector<uint8_t>(bodyOnly.begin(), bodyOnly.begin() + 30)); },
       "end early"},
      {"hand-made: a name longer than a table name",
       [&] {
         auto b = bodyOnly;
         b[36] = 200;
         return HandMade(b);
       },
       "name is too long"},
      {"hand-made: input length beyond the body",
       [&] {
         auto b = bodyOnly;
         PutLe32(b, 45, 1000);
         return HandMade(b);
       },
       "input stream's length"},
      {"hand-made: an impossibly long game",
       [&] {
         auto b = bodyOnly;
         PutLe32(b, 41, kReplayMaxGameMs + 1);
         return HandMade(b);
       },
       "too long"},
  };
  // The hand-made body itself is a valid replay, so each case fails by its own fault.
  EXPECT_NO_THROW(DecodeReplay(HandMade(bodyOnly)));
  for (const Case& c : cases) {
    try {
      DecodeReplay(c.make());
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const ReplayError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}

TEST(ReplayFile, FilesAreWrittenWholeAndReadBack) {
  const std::string path = ::testing::TempDir() + "replay_file_test.klr";
  WriteReplayFile(path, Sample());
  EXPECT_EQ(ReadReplayFile(path), Sample());
  std::remove(path.c_str());
  try {
    ReadReplayFile(path);
    ADD_FAILURE() << "a missing file was read";
  } catch (const ReplayError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace klv
