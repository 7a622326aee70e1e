#include "online/score_record.h"

#include <array>

#include "online/world_table.h"

namespace klv::scores {

namespace {

std::optional<ScoreRecord> Refuse(std::string* why, const char* reason) {
  if (why != nullptr) *why = reason;
  return std::nullopt;
}

// Bytes a typed name or added text can never hold.
bool PrintableCp1251(std::string_view s) {
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == 0x98) return false;
  }
  return true;
}

bool TakeField(std::string_view part, std::string_view key, std::string_view& value) {
  if (part.substr(0, key.size()) != key) return false;
  value = part.substr(key.size());
  return true;
}

bool ParseScore(std::string_view digits, uint32_t& out) {
  if (digits.empty() || digits.size() > 10) return false;
  if (digits.size() > 1 && digits[0] == '0') return false;
  uint64_t v = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

std::optional<ScoreRecord> ParseScoreRecord(std::string_view plain, std::string* why) {
  if (plain.size() % 5 != 0) return Refuse(why, "length");
  std::array<std::string_view, 7> parts;
  std::size_t count = 0;
  std::string_view rest = plain;
  for (;;) {
    const std::size_t bar = rest.find('|');
    if (count == parts.size()) return Refuse(why, "field count");
    parts[count++] = rest.substr(0, bar);
    if (bar == std::string_view::npos) break;
    rest.remove_prefix(bar + 1);
  }
  if (count != parts.size()) return Refuse(why, "field count");

  std::string_view type, name, score, key, p, add, z;
  if (!TakeField(parts[0], "type=", type) || !TakeField(parts[1], "name=", name) ||
      !TakeField(parts[2], "score=", score) || !TakeField(parts[3], "key=", key) ||
      !TakeField(parts[4], "p=", p) || !TakeField(parts[5], "add=", add) ||
      !TakeField(parts[6], "z=", z)) {
    return Refuse(why, "field order");
  }
  if (type != "0") return Refuse(why, "type");
  if (key.size() != 1 || key[0] != kScoreKey) return Refuse(why, "key");
  ScoreRecord r;
  if (!ParseScore(score, r.Score)) return Refuse(why, "score");
  if (name.size() > kMaxRecordName || !PrintableCp1251(name)) {
    return Refuse(why, "name");
  }
  if (add.size() > kMaxRecordAdd || !PrintableCp1251(add)) return Refuse(why, "add");
  if (p.empty() || p.size() > kMaxTokenLength || !PrintableCp1251(p)) {
    return Refuse(why, "token");
  }
  // Only the padding the record needs: fewer than five "0".
  if (z.size() >= 5 || z.find_first_not_of('0') != std::string_view::npos) {
    return Refuse(why, "padding");
  }
  r.Name = std::string(name);
  r.P = std::string(p);
  r.Add = std::string(add);
  return r;
}

std::optional<ScoreRecord> DecodeScoreRecord(std::string_view encoded, std::string* why) {
  if (encoded.size() > kMaxEncodedRecord) return Refuse(why, "too long");
  const std::optional<std::string> plain = InfDecode(encoded);
  if (!plain) return Refuse(why, "encoding");
  return ParseScoreRecord(*plain, why);
}

std::string HtmlEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (const char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

}  // namespace klv::scores
