#include "settings/score_table.h"

#include <utility>

namespace klv {
namespace {

constexpr char kDefaultName[] = "\xC2\xE0\xED\xFF";  // Ваня

}  // namespace

std::string ScoreTable::DefaultName() {
  return kDefaultName;
}

int ScoreTable::PlaceFor(Score score) const {
  if (score.Shown() < 0) return 0;
  int i = kScoreEntries;
  while (i >= 1 && score.Value() > rows_[i - 1].Score.Value()) --i;
  return i == kScoreEntries ? 0 : i + 1;
}

int ScoreTable::Insert(std::string_view name, Score score) {
  const int place = PlaceFor(score);
  if (place == 0) return 0;
  for (int i = kScoreEntries; i > place; --i) rows_[i - 1] = rows_[i - 2];
  rows_[place - 1].Name = std::string(name.substr(0, kScoreNameCapacity));
  rows_[place - 1].Score = score;
  return place;
}

void ScoreTable::Clear(std::string_view name) {
  for (int i = 0; i < kScoreEntries; ++i) {
    rows_[i].Name = std::string(name.substr(0, kScoreNameCapacity));
    rows_[i].Score = Score::Plain(static_cast<uint32_t>(10 - i) * 1000);
  }
}

void ScoreTable::SetDefault() {
  for (int i = 0; i < kScoreEntries; ++i) {
    rows_[i].Name = kDefaultName;
    rows_[i].Score = Score::Plain(static_cast<uint32_t>(10 - i) * 100);
  }
}

void ScoreTable::Sort() {
  for (int i = 0; i < kScoreEntries - 1; ++i) {
    int best = i;
    for (int j = i + 1; j < kScoreEntries; ++j)
      if (rows_[j].Score.Value() > rows_[best].Score.Value()) best = j;
    std::swap(rows_[i], rows_[best]);
  }
}

}  // namespace klv
