// The message box's text cut into lines: at the text's own breaks, between
// words, never inside one, and no more lines than the box holds.
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace klv {
namespace {

// 10 pixels a character, counting UTF-8 characters, not bytes.
int Width(const std::string& s) {
  int chars = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++chars;
  return chars * 10;
}

TEST(MessageBox, TextIsWrappedIntoLines) {
  using Lines = std::vector<std::string>;
  const struct {
    const char* what;
    const char* text;
    int maxLines;
    Lines lines;
  } cases[] = {
      {"one short line", "Can't load music.", 5, {"Can't load music."}},
      {"between words, by characters not bytes",
       "Файл настроек испорчен и сохранён",
       5,
       {"Файл настроек", "испорчен и сохранён"}},
      {"its own breaks, an empty line kept", "Одна\n\nдве", 5, {"Одна", "", "две"}},
      {"a long word alone on its line",
       "a /very/long/path/to/Config.cfg b",
       5,
       {"a", "/very/long/path/to/Config.cfg", "b"}},
      {"blanks between words count once", "aa     bb   cc", 5, {"aa bb cc"}},
      {"exactly as many lines as fit", "1\n2\n3", 3, {"1", "2", "3"}},
      {"more lines than fit end in an ellipsis", "1\n2\n3\n4\n5", 3, {"1", "2", "…"}},
      {"nothing", "", 3, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WrapForBox(c.text, 200, c.maxLines, Width), c.lines) << c.what;
}

}  // namespace
}  // namespace klv
