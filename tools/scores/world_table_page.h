#pragma once
// The world table as an HTML page (UTF-8), every stored text escaped.

#include <string>
#include <string_view>
#include <vector>

#include "score_store.h"

namespace klv::scores {

// Rows verified first, each part best first; ranks count from 1 over both.
// The verified ones are marked "проверено" with a link to their replay, the
// others stand apart in a table of their own, marked "не проверено". Rows
// read at `readAt` rather than now (seconds since 1970, UTC; 0: now) are
// said to be that old.
std::string RenderWorldTablePage(const std::vector<StoredScore>& rows, int64_t readAt = 0,
                                 int64_t now = 0);

// The same rows for other programs: {"rows":[{"rank":1,"name":"...",
// "score":N,"verified":true,"date":"2026-12-11T10:00:00Z","replay":"..."}]},
// names as UTF-8 escaped for JSON and for any page that embeds it.
std::string RenderWorldTableJson(const std::vector<StoredScore>& rows);
std::string JsonEscape(std::string_view utf8);

}  // namespace klv::scores
