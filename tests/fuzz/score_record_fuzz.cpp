// Fuzzes the world-table service's record decoder and checker: it never
// crashes, and whatever it accepts is exactly the record the game would have
// built from the same values.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/cp1251.h"
#include "online/score_record.h"
#include "online/world_table.h"

namespace {

void CheckAccepted(const klv::scores::ScoreRecord& r, std::string_view plain) {
  if (klv::BuildScoreRecord(r.Name, r.Score, r.P, r.Add) != plain) std::abort();
  if (r.Name.size() > klv::kMaxRecordName || r.Add.size() > klv::kMaxRecordAdd) std::abort();
  const std::string shown = klv::scores::HtmlEscape(klv::Cp1251ToUtf8(r.Name + r.Add));
  if (shown.find_first_of("<>\"'") != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The input both as the "inf" text and as a plain record.
  if (const auto r = klv::scores::DecodeScoreRecord(input)) {
    CheckAccepted(*r, *klv::InfDecode(input));
  }
  if (const auto r = klv::scores::ParseScoreRecord(input)) CheckAccepted(*r, input);
  // And a plain record through the whole decoder.
  if (const auto r = klv::scores::DecodeScoreRecord(klv::InfEncode(input))) {
    CheckAccepted(*r, input);
  }
  return 0;
}
