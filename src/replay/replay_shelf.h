#pragma once
// The replays the local top ten keeps: one file per row, `table-NN.klr` in
// the replays folder. Config.cfg says nothing of them; a file belongs to the
// row whose name and score it recorded, so a table edited by hand, a file
// lost or a file damaged never changes the table, only which rows have a
// replay to watch. Files of other names (the last game, a player's own) are
// left alone.

#include <cstdint>
#include <string>
#include <vector>

#include "replay/replay_file.h"

namespace klv {

// A row of the table as the shelf sees it.
struct ShelfRow {
  std::string Name;    // code page 1251
  uint32_t Score = 0;  // plain
};

class ReplayShelf {
 public:
  // `dir` is the replays folder, with a trailing '/'; it need not exist.
  explicit ReplayShelf(std::string dir) : dir_(std::move(dir)) {}

  // The replay of each row ("" for none). A file goes to the first row with
  // its name and score that has none yet; a damaged file goes to none.
  std::vector<std::string> Match(const std::vector<ShelfRow>& rows) const;
  // Removes every table file that belongs to no row (a row that left the
  // table, a damaged file).
  void Prune(const std::vector<ShelfRow>& rows) const;
  // Removes every table file.
  void Clear() const;
  // Writes the replay of a game that entered the table under the first free
  // number, making the folder when needed; returns its path. Throws
  // ReplayError when it cannot be written.
  std::string Keep(const ReplayFile& replay) const;

  // At most this many table files are looked at: ten rows and room to spare.
  static constexpr int kMaxFiles = 99;
  std::string PathOf(int number) const;

 private:
  std::string dir_;
};

}  // namespace klv
