#pragma once
// The world table as an HTML page (UTF-8), every stored text escaped.

#include <string>
#include <vector>

#include "score_store.h"

namespace klv::scores {

// Rows best first, as ScoreStore::Best gives them; ranks count from 1.
std::string RenderWorldTablePage(const std::vector<StoredScore>& rows);

}  // namespace klv::scores
