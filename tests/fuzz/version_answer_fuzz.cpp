// Fuzzes the game's reading of the version answer and the record it builds
// from whatever token the answer carried.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "online/world_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  const klv::VersionAnswer a = klv::ParseVersionAnswer(answer);
  if (a.Ok != (answer.substr(0, 2) == "OK")) std::abort();
  if (a.P.find('|') != std::string::npos) std::abort();
  std::size_t bars = 0;
  for (const char c : answer) bars += c == '|';
  if (!a.P.empty() && bars < 5) std::abort();
  if (a.P.size() > answer.size()) std::abort();

  const std::string record = klv::BuildScoreRecord(answer.substr(0, 16), 0xFFFFFFFFu, a.P,
                                                   answer.substr(answer.size() / 2));
  if (record.size() % 5 != 0) std::abort();
  const std::string encoded = klv::InfEncode(record);
  if (encoded.size() != record.size() / 5 * 8) std::abort();
  const auto back = klv::InfDecode(encoded);
  if (!back || *back != record) std::abort();
  return 0;
}
