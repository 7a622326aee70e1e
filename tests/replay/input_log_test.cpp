// The window events of a recorded game's input stream: each one the game can
// take is written and read back as itself; one it cannot take is refused.
#include "replay/input_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay/replay_file.h"

namespace klv {
namespace {

TEST(InputLog, WindowEventsReadBackAsWritten) {
  const WindowEvent events[] = {WindowEvent::Close,     WindowEvent::Maximize,
                                WindowEvent::Minimize,  WindowEvent::EndSession,
                                WindowEvent::FocusLost, WindowEvent::FocusGained,
                                WindowEvent::PadLost};
  std::vector<uint8_t> log;
  for (WindowEvent what : events) {
    InputRecord r;
    r.Tag = InputTag::Window;
    r.Window = what;
    AppendRecord(log, r);
  }
  // The gamepad's loss is byte 6 after the tag, as the format gives it.
  ASSERT_EQ(log.size(), 14u);
  EXPECT_EQ(log[12], uint8_t(InputTag::Window));
  EXPECT_EQ(log[13], 6);
  InputLogReader reader(log.data(), log.size());
  for (WindowEvent what : events) {
    ASSERT_FALSE(reader.AtEnd());
    const InputRecord r = reader.Next();
    EXPECT_EQ(r.Tag, InputTag::Window);
    EXPECT_EQ(r.Window, what);
  }
  EXPECT_TRUE(reader.AtEnd());
}

TEST(InputLog, RefusesAWindowEventItDoesNotKnow) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* why;
  } const cases[] = {
      {{uint8_t(InputTag::Window), 7}, "unknown window event"},
      {{uint8_t(InputTag::Window), 255}, "unknown window event"},
      {{uint8_t(InputTag::Window)}, "a record ends early"},
  };
  for (const Case& c : cases) {
    InputLogReader reader(c.bytes.data(), c.bytes.size());
    try {
      reader.Next();
      ADD_FAILURE() << "read " << int(c.bytes.back());
    } catch (const ReplayError& e) {
      EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace klv
