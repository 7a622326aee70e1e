#pragma once
// The world table as an HTML page (UTF-8), every stored text escaped.

#include <string>
#include <vector>

#include "score_store.h"

namespace klv::scores {

// Rows best first, as ScoreStore::Best gives them; ranks count from 1. Rows
// read at `readAt` rather than now (seconds since 1970, UTC; 0: now) are
// said to be that old.
std::string RenderWorldTablePage(const std::vector<StoredScore>& rows, int64_t readAt = 0,
                                 int64_t now = 0);

}  // namespace klv::scores
