#pragma once
// The world high-score table: the two requests that submit a score, the
// encoding of the score record, and the pages opened in the browser.
// Names and added texts are code page 1251 bytes throughout.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace klv {

class HttpClient;

// Agreed with the world-table service (tools/scores): product code, the
// record's key letter and the 32-symbol alphabet of the encoded record.
inline constexpr std::string_view kProductCode = "Marlowfin";
inline constexpr char kScoreKey = 'K';
inline constexpr std::string_view kInfAlphabet = "QWERTYUPASDFGHJKLZXCVBN246813579";
inline constexpr std::string_view kServicePath = "/cgi/version.pl";
// Longest name and added text the record carries, in characters.
inline constexpr std::size_t kMaxRecordName = 12;
inline constexpr std::size_t kMaxRecordAdd = 10;

// Every byte as eight bits, most significant first, cut into 5-bit symbols
// (zero bits put in front when the bit count is not a multiple of 5).
std::string InfEncode(std::string_view plain);
// The inverse for whole 5-byte groups: 8 symbols give 5 bytes. Empty result
// when the length is not a multiple of 8 or a symbol is outside the alphabet.
std::optional<std::string> InfDecode(std::string_view encoded);

// What the game reads from the version answer: whether it starts with "OK"
// (case-sensitive) and p, the fifth "|"-separated field (empty when the
// answer has fewer than five "|").
struct VersionAnswer {
  bool Ok = false;
  std::string P;
};
VersionAnswer ParseVersionAnswer(std::string_view answer);

// The plain score record in its fixed field order, padded with "0" to a
// multiple of 5 bytes. The name is cut to 12 and the added text to 10 bytes.
std::string BuildScoreRecord(std::string_view name, uint32_t score, std::string_view p,
                             std::string_view addText);

// Addresses under a service base such as "http://127.0.0.1:8765" (a trailing
// "/" is allowed).
std::string VersionQueryUrl(std::string_view base);
std::string ScoreQueryUrl(std::string_view base, std::string_view encodedRecord);
std::string WorldTableUrl(std::string_view base);

// Asks for a token, then sends the encoded record. True when the service
// answered the version query with "OK"; the score request's own outcome is
// not examined. Blocks for the two requests, together never longer than the
// client's TotalMs (8 s with the game's limits): run it off the game's thread
// (ScoreSubmission does).
bool SubmitWorldScore(HttpClient& client, std::string_view base, std::string_view name,
                      uint32_t unmaskedScore, std::string_view addText);

// What the player is told when no world table is set up.
const char* NoWorldTableText();

// Opens the world-table page in the browser.
void OpenWorldTable(std::string_view base,
                    const std::function<void(const std::string&)>& openWithShell);
// The link files are looked for only in the game's own data folder (appDir,
// with a trailing '/'), never in the current folder, which may belong to
// anyone; and only a link is ever opened, never a program: a launcher such as
// "fscommand/pgate.exe" is not looked for at all.
//
// True when path is a regular file that nobody may execute.
bool IsLinkFile(const std::string& path);
// Opens appDir + "moregames.url" when isLink says it is one.
void OpenMoreGames(const std::string& appDir, const std::function<bool(const std::string&)>& isLink,
                   const std::function<void(const std::string&)>& openWithShell);
// At program end: appDir + "play.url" when isLink says it is one.
void OpenExitLinks(const std::string& appDir, const std::function<bool(const std::string&)>& isLink,
                   const std::function<void(const std::string&)>& openWithShell);

}  // namespace klv
