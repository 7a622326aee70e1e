// The high-score table's rules: where a score enters, the entry, the clear,
// the sort, and a table as a damaged Config.cfg leaves it.
#include "settings/score_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace klv {
namespace {

// Rows n1..n10 with these plain scores, in this order.
ScoreTable Table(std::initializer_list<uint32_t> plain) {
  ScoreTable t;
  int i = 0;
  for (uint32_t s : plain) {
    t[i].Name = "n" + std::to_string(i + 1);
    t[i].Score = Score::Plain(s);
    ++i;
  }
  return t;
}

std::string Names(const ScoreTable& t) {
  std::string names;
  for (const ScoreEntry& e : t) names += e.Name + " ";
  return names;
}

std::vector<uint32_t> Plain(const ScoreTable& t) {
  std::vector<uint32_t> v;
  for (const ScoreEntry& e : t) v.push_back(e.Score.Value());
  return v;
}

TEST(ScoreValue, KeptMaskedShownSignedAndWrappingAt32Bits) {
  EXPECT_EQ(Score().Value(), 0u);
  EXPECT_EQ(Score().MaskedValue(), 27491u);
  EXPECT_EQ(Score::Plain(1000).MaskedValue(), 1000u ^ 27491u);
  EXPECT_EQ(Score::Masked(Score::Plain(0xDEADBEEF).MaskedValue()).Value(), 0xDEADBEEFu);
  EXPECT_EQ(Score::Plain(0xFFFF0000u).MaskedValue() >> 16, 0xFFFFu);  // the upper half passes
  Score s;
  s.Add(10);
  s.Add(-60);  // junk can leave a game below zero
  EXPECT_EQ(s.Shown(), -50);
  EXPECT_EQ(s.Value(), 0xFFFFFFCEu);
  s.Add(50);
  EXPECT_EQ(s, Score());
}

TEST(ScoreTablePlace, TopMiddleBottomTiesAndNotEntering) {
  const ScoreTable table = Table({1000, 900, 800, 700, 700, 500, 400, 300, 200, 100});
  struct Case {
    uint32_t score;
    int place;
  };
  const Case cases[] = {
      {1001, 1},        {0x7FFFFFFFu, 1},                      // the top
      {1000, 2},        {950, 2},         {701, 4}, {700, 6},  // ties go below the equal rows
      {101, 10},                                               // the bottom
      {100, 0},         {99, 0},          {0, 0},              // equal to the tenth is not enough
      {0xFFFFFFF6u, 0},                                        // -10: huge unsigned, never enters
      {0x80000000u, 0},                                        // the most negative
  };
  for (const Case& c : cases) EXPECT_EQ(table.PlaceFor(Score::Plain(c.score)), c.place) << c.score;
}

TEST(ScoreTableInsert, RowsBelowMoveDownAndTheLastDropsOut) {
  ScoreTable table = Table({1000, 900, 800, 700, 600, 500, 400, 300, 200, 100});
  EXPECT_EQ(table.Insert("Петя", Score::Plain(900)), 3);
  EXPECT_EQ(Names(table), "n1 n2 Петя n3 n4 n5 n6 n7 n8 n9 ");
  EXPECT_EQ(Plain(table),
            (std::vector<uint32_t>{1000, 900, 900, 800, 700, 600, 500, 400, 300, 200}));

  EXPECT_EQ(table.Insert("top", Score::Plain(5000)), 1);
  EXPECT_EQ(Names(table), "top n1 n2 Петя n3 n4 n5 n6 n7 n8 ");

  EXPECT_EQ(table.Insert("", Score::Plain(350)), 10);  // the last row, an empty name
  EXPECT_EQ(table[9].Name, "");
  EXPECT_EQ(table[9].Score.Value(), 350u);

  // Nothing changes for a score that enters no row.
  const ScoreTable before = table;
  EXPECT_EQ(table.Insert("low", Score::Plain(350)), 0);
  EXPECT_EQ(table.Insert("neg", Score::Plain(uint32_t(-50))), 0);
  EXPECT_EQ(table, before);

  // A name longer than its twelve bytes is cut.
  EXPECT_EQ(table.Insert("ABCDEFGHIJKLMNOP", Score::Plain(20000)), 1);
  EXPECT_EQ(table[0].Name, "ABCDEFGHIJKL");
}

TEST(ScoreTableClear, TheNameInEveryRowTenThousandDownToOneThousand) {
  ScoreTable t;
  t.SetDefault();
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(t[i].Name, ScoreTable::DefaultName());
    EXPECT_EQ(t[i].Score.Value(), uint32_t(1000 - 100 * i));
  }
  t.Clear("Name-longer-than-twelve");
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(t[i].Name, "Name-longer-");
    EXPECT_EQ(t[i].Score.Value(), uint32_t(10000 - 1000 * i));
  }
}

TEST(ScoreTableSort, FollowsTheSwapRuleAndComparesUnsigned) {
  ScoreTable t;
  const char* names = "ABCDEFGHIJ";
  const uint32_t plain[] = {5, 5, 9, 0, 0xFFFFFFFFu, 0x80000000u, 5, 1000, 0, 7};
  for (int i = 0; i < 10; ++i) t[i] = {std::string(1, names[i]), Score::Plain(plain[i])};
  t.Sort();
  std::string order;
  for (const ScoreEntry& e : t) order += e.Name;
  // A stable sort would give "EFHCJABGDI"; the swaps move A behind B and G, and I before D.
  EXPECT_EQ(order, "EFHCJBGAID");
  EXPECT_EQ(Plain(t), (std::vector<uint32_t>{0xFFFFFFFFu, 0x80000000u, 1000, 9, 7, 5, 5, 5, 0, 0}));
}

// The scores of a Config.cfg whose table bytes were damaged: zeroes (plain
// 27491 once unmasked), every bit set, rows out of order. The game sorts it
// on loading; a row below zero as shown sits on top, and no played score can
// pass it, while the rest of the table still takes scores by the usual rule.
TEST(ScoreTableDamaged, SortedOnLoadingAndStillTakesScores) {
  ScoreTable t;
  const uint32_t masked[] = {0,
                             0xFFFFFFFFu,
                             MaskScore(10),
                             MaskScore(500),
                             0,
                             MaskScore(20),
                             MaskScore(30),
                             MaskScore(40),
                             MaskScore(50),
                             MaskScore(60)};
  for (int i = 0; i < 10; ++i) t[i] = {"r" + std::to_string(i), Score::Masked(masked[i])};
  t.Sort();
  EXPECT_EQ(Plain(t), (std::vector<uint32_t>{UnmaskScore(0xFFFFFFFFu), 27491, 27491, 500, 60, 50,
                                             40, 30, 20, 10}));
  EXPECT_EQ(t[0].Score.Shown(), static_cast<int32_t>(UnmaskScore(0xFFFFFFFFu)));
  EXPECT_LT(t[0].Score.Shown(), 0);
  EXPECT_EQ(t.PlaceFor(Score::Plain(0x7FFFFFFFu)), 2);
  EXPECT_EQ(t.Insert("new", Score::Plain(45)), 7);
  EXPECT_EQ(Plain(t), (std::vector<uint32_t>{UnmaskScore(0xFFFFFFFFu), 27491, 27491, 500, 60, 50,
                                             45, 40, 30, 20}));
  EXPECT_EQ(t.PlaceFor(Score::Plain(20)), 0);
}

}  // namespace
}  // namespace klv
