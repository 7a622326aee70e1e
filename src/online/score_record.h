#pragma once
// The world-table service's view of a submitted score: decoding the "inf"
// text the game sends and checking every field before anything is stored.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klv::scores {

// Longest token the service hands out and accepts back, in characters.
inline constexpr std::size_t kMaxTokenLength = 64;
// Longest "inf" text that can hold a valid record.
inline constexpr std::size_t kMaxEncodedRecord = 256;

struct ScoreRecord {
  std::string Name;  // code page 1251, at most 12 bytes
  uint32_t Score = 0;
  std::string P;    // the token from the version answer
  std::string Add;  // code page 1251, at most 10 bytes
};

// Decodes and checks a record: fields type, name, score, key, p, add, z in
// this order and nothing else; type 0; the agreed key letter; a decimal score
// without leading zeros that fits 32 bits; name and added text within their
// lengths, free of control characters and the unused byte 0x98; p non-empty
// and at most kMaxTokenLength; z only the "0" padding. On refusal `why` (when
// given) receives a short English reason.
std::optional<ScoreRecord> ParseScoreRecord(std::string_view plain, std::string* why = nullptr);
std::optional<ScoreRecord> DecodeScoreRecord(std::string_view encoded, std::string* why = nullptr);

// Text made safe for HTML element content and attribute values.
std::string HtmlEscape(std::string_view utf8);

}  // namespace klv::scores
