#pragma once
// The world high-score table: the two requests that submit a score, the
// encoding of the score record, and the pages opened in the browser.
// Names and added texts are code page 1251 bytes throughout.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "online/world_submission.h"

namespace klv {

class HttpClient;

// Agreed with the world-table service (tools/scores): product code, the
// record's key letter and the 32-symbol alphabet of the encoded record.
inline constexpr std::string_view kProductCode = "Marlowfin";
inline constexpr char kScoreKey = 'K';
inline constexpr std::string_view kInfAlphabet = "QWERTYUPASDFGHJKLZXCVBN246813579";
inline constexpr std::string_view kServicePath = "/cgi/version.pl";
// Where a submission's replay goes, tied to its token (docs/world-table-protocol.md).
inline constexpr std::string_view kReplayPath = "/cgi/replay.pl";
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
std::string ReplayUploadUrl(std::string_view base, std::string_view token);

// Asks for a token, sends the encoded record, reads the answer to it, and
// when the score went in and `replay` is not empty, uploads the replay tied
// to the same token. Reached when the service answered the version query
// with "OK". Blocks for the requests, together never longer than the
// client's TotalMs (8 s with the game's limits): run it off the game's thread
// (ScoreSubmission does). Defined beside the HTTP client (world_table_submit.cpp).
SubmitOutcome SubmitWorldScore(HttpClient& client, std::string_view base, std::string_view name,
                               uint32_t unmaskedScore, std::string_view addText,
                               std::string_view replay = {});

// What the player is told when the world table refused the score.
const char* ScoreRefusedText();

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
