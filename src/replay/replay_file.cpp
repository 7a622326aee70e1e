#include "replay/replay_file.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace klv {
namespace {

constexpr char kMagic[4] = {'K', 'L', 'V', 'R'};

class Writer {
 public:
  void U8(uint8_t v) { bytes.push_back(v); }
  void U16(uint16_t v) { Le(v, 2); }
  void U32(uint32_t v) { Le(v, 4); }
  void U64(uint64_t v) { Le(v, 8); }
  void Text(const std::string& s) {
    U8(static_cast<uint8_t>(s.size()));
    bytes.insert(bytes.end(), s.begin(), s.end());
  }
  std::vector<uint8_t> bytes;

 private:
  void Le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
};

// Reads little-endian fields; running past the end is a damaged body.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}
  uint8_t U8() { return static_cast<uint8_t>(Le(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Le(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Le(4)); }
  uint64_t U64() { return Le(8); }
  std::string Text(size_t max, const char* what) {
    const size_t n = U8();
    if (n > max) throw ReplayError(std::string("the ") + what + " is too long");
    Need(n);
    std::string s(reinterpret_cast<const char*>(p_), n);
    Skip(n);
    return s;
  }
  std::vector<uint8_t> Bytes(size_t n) {
    Need(n);
    std::vector<uint8_t> v(p_, p_ + n);
    Skip(n);
    return v;
  }
  size_t Left() const { return left_; }

 private:
  void Need(size_t n) const {
    if (n > left_) throw ReplayError("the replay is damaged (its contents end early)");
  }
  void Skip(size_t n) {
    p_ += n;
    left_ -= n;
  }
  uint64_t Le(int n) {
    Need(size_t(n));
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint64_t(p_[i]) << (8 * i);
    Skip(size_t(n));
    return v;
  }
  const uint8_t* p_;
  size_t left_;
};

uint32_t Crc(const std::vector<uint8_t>& body) {
  return static_cast<uint32_t>(crc32(0L, body.data(), static_cast<uInt>(body.size())));
}

void CheckBounds(const ReplayFile& r) {
  if (r.GameVersion.size() > kReplayMaxVersionBytes)
    throw ReplayError("the game's version is too long");
  if (r.Result.Name.size() > kReplayMaxNameBytes) throw ReplayError("the name is too long");
  if (r.Start.FrameIntervalMs < 1 || r.Start.FrameIntervalMs > 1000)
    throw ReplayError("the frame interval is out of range");
  if (r.Start.Settings & ~(kReplayMusic | kReplaySound | kReplayWindowed))
    throw ReplayError("the settings hold unknown bits");
  if (r.Start.FrameLastTickUs > r.Start.ClockUs)
    throw ReplayError("the frame timer's phase lies after the start");
  if (r.Result.Frames > kReplayMaxFrames) throw ReplayError("the game has too many frames");
  if (r.Result.GameMs > kReplayMaxGameMs) throw ReplayError("the game is too long");
  if (r.Input.size() > kReplayMaxBodyBytes - 256) throw ReplayError("the input stream is too big");
}

}  // namespace

std::vector<uint8_t> EncodeReplay(const ReplayFile& r) {
  CheckBounds(r);
  Writer body;
  body.Text(r.GameVersion);
  body.U64(r.Start.RngState);
  body.U64(r.Start.ClockUs);
  body.U64(r.Start.FrameLastTickUs);
  body.U16(r.Start.FrameIntervalMs);
  body.U8(r.Start.FrameCounter);
  body.U8(r.Start.Settings);
  body.U8(r.Start.FrameActive ? 1 : 0);
  body.U32(r.Result.Score);
  body.U16(r.Result.Level);
  body.Text(r.Result.Name);
  body.U32(r.Result.Frames);
  body.U32(r.Result.GameMs);
  body.U32(static_cast<uint32_t>(r.Input.size()));
  body.bytes.insert(body.bytes.end(), r.Input.begin(), r.Input.end());

  uLongf packedSize = compressBound(static_cast<uLong>(body.bytes.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, body.bytes.data(),
                static_cast<uLong>(body.bytes.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw ReplayError("the replay could not be compressed");
  if (packedSize + kReplayHeaderBytes > kReplayMaxFileBytes)
    throw ReplayError("the replay is too big");

  Writer file;
  file.bytes.insert(file.bytes.end(), kMagic, kMagic + 4);
  file.U16(kReplayFormatVersion);
  file.U16(0);  // flags: none defined
  file.U32(static_cast<uint32_t>(body.bytes.size()));
  file.U32(static_cast<uint32_t>(packedSize));
  file.U32(Crc(body.bytes));
  file.bytes.insert(file.bytes.end(), packed.begin(), packed.begin() + packedSize);
  return file.bytes;
}

ReplayFile DecodeReplay(const uint8_t* data, size_t size) {
  if (size > kReplayMaxFileBytes) throw ReplayError("the file is too big for a replay");
  if (size < 4 || std::memcmp(data, kMagic, 4) != 0)
    throw ReplayError("the file is not a replay of this game");
  if (size < kReplayHeaderBytes)
    throw ReplayError("the replay is truncated (its header ends early)");
  Reader header(data + 4, kReplayHeaderBytes - 4);
  const uint16_t version = header.U16();
  const uint16_t flags = header.U16();
  const uint32_t bodySize = header.U32();
  const uint32_t packedSize = header.U32();
  const uint32_t crc = header.U32();
  if (version != kReplayFormatVersion)
    throw ReplayError("the replay has format version " + std::to_string(version) +
                      "; this game reads version " + std::to_string(kReplayFormatVersion));
  if (flags != 0) throw ReplayError("the replay is damaged (unknown flags)");
  if (bodySize > kReplayMaxBodyBytes) throw ReplayError("the replay's contents are too big");
  if (packedSize > size - kReplayHeaderBytes)
    throw ReplayError("the replay is truncated (" + std::to_string(size - kReplayHeaderBytes) +
                      " of " + std::to_string(packedSize) + " bytes)");
  if (packedSize < size - kReplayHeaderBytes)
    throw ReplayError("the replay has bytes after its end");

  std::vector<uint8_t> body(bodySize);
  uLongf outSize = bodySize;
  uLong inSize = packedSize;
  // A zero-length buffer has no address zlib may write to: give it one.
  uint8_t none = 0;
  const int z =
      uncompress2(body.empty() ? &none : body.data(), &outSize, data + kReplayHeaderBytes, &inSize);
  if (z != Z_OK || outSize != bodySize || inSize != packedSize)
    throw ReplayError("the replay is damaged (its contents do not unpack)");
  if (Crc(body) != crc) throw ReplayError("the replay is damaged (checksum mismatch)");

  Reader in(body.data(), body.size());
  ReplayFile r;
  r.GameVersion = in.Text(kReplayMaxVersionBytes, "game's version");
  r.Start.RngState = in.U64();
  r.Start.ClockUs = in.U64();
  r.Start.FrameLastTickUs = in.U64();
  r.Start.FrameIntervalMs = in.U16();
  r.Start.FrameCounter = in.U8();
  r.Start.Settings = in.U8();
  const uint8_t active = in.U8();
  if (active > 1) throw ReplayError("the replay is damaged (a flag is neither 0 nor 1)");
  r.Start.FrameActive = active == 1;
  r.Result.Score = in.U32();
  r.Result.Level = in.U16();
  r.Result.Name = in.Text(kReplayMaxNameBytes, "name");
  r.Result.Frames = in.U32();
  r.Result.GameMs = in.U32();
  const uint32_t inputSize = in.U32();
  if (inputSize != in.Left())
    throw ReplayError("the replay is damaged (the input stream's length is wrong)");
  r.Input = in.Bytes(inputSize);
  CheckBounds(r);
  return r;
}

ReplayFile ReadReplayFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ReplayError(path + ": " + std::strerror(errno));
  std::vector<uint8_t> bytes;
  char buf[16384];
  // Read no more than one byte past the bound: a larger file is refused unread.
  while (in && bytes.size() <= kReplayMaxFileBytes) {
    in.read(buf, sizeof buf);
    bytes.insert(bytes.end(), buf, buf + in.gcount());
  }
  if (in.bad()) throw ReplayError(path + ": the file could not be read");
  try {
    return DecodeReplay(bytes);
  } catch (const ReplayError& e) {
    throw ReplayError(path + ": " + e.what());
  }
}

void WriteReplayFile(const std::string& path, const ReplayFile& replay) {
  const std::vector<uint8_t> bytes = EncodeReplay(replay);
  // Written beside its place and renamed, so a reader never sees half a file.
  const std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      throw ReplayError(path + ": the replay could not be written");
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temp.c_str());
    throw ReplayError(path + ": " + reason);
  }
}

}  // namespace klv
