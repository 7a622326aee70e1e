#pragma once
// The local high-score table and its rules: ten rows, best first; the place a
// score would take, entering it, clearing and sorting the table. The rows are
// what Config.cfg keeps; the replays kept per row follow them by name and
// score (replay/replay_shelf.h).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/score.h"

namespace klv {

constexpr int kScoreEntries = 10;
constexpr size_t kScoreNameCapacity = 12;  // code page 1251 bytes

struct ScoreEntry {
  std::string Name;  // code page 1251, at most kScoreNameCapacity bytes, plain
  klv::Score Score;
  bool operator==(const ScoreEntry&) const = default;
};

class ScoreTable {
 public:
  using Rows = std::array<ScoreEntry, kScoreEntries>;

  // Rows 0..9, [0] the best.
  ScoreEntry& operator[](size_t row) { return rows_[row]; }
  const ScoreEntry& operator[](size_t row) const { return rows_[row]; }
  Rows::iterator begin() { return rows_.begin(); }
  Rows::iterator end() { return rows_.end(); }
  Rows::const_iterator begin() const { return rows_.begin(); }
  Rows::const_iterator end() const { return rows_.end(); }
  static constexpr size_t size() { return kScoreEntries; }

  // The place (1..10) a score would take, below the equal scores already
  // there; 0 when it enters no row (too low, or below zero as shown).
  int PlaceFor(Score score) const;
  // Enters a score at its place under `name` (cut to kScoreNameCapacity),
  // shifting the rows below down; the last row drops out. Returns the place,
  // 0 (and the table as it was) when the score enters no row.
  int Insert(std::string_view name, Score score);
  // The high-score screen's clear: `name` in every row, 10000 down to 1000.
  void Clear(std::string_view name);
  // The table a new game starts with: "Ваня", 1000 down to 100.
  void SetDefault();
  // Best first; a selection sort whose swaps decide the order of equal
  // scores (the game's own rule, kept for its tables).
  void Sort();

  // The default table's name, "Ваня", in code page 1251.
  static std::string DefaultName();

  bool operator==(const ScoreTable&) const = default;

 private:
  Rows rows_;
};

}  // namespace klv
