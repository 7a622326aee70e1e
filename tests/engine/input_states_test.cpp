#include "engine/input_states.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/platform.h"

namespace klv {
namespace {

std::array<bool, 256> Keys(std::initializer_list<int> held) {
  std::array<bool, 256> keys{};
  for (int k : held) keys[k] = true;
  return keys;
}

InputStateSet Set(std::initializer_list<InputState> states) {
  InputStateSet s;
  for (InputState st : states) s.Insert(st);
  return s;
}

// The component as the game sets it up at start-up.
class InputStatesTest : public ::testing::Test {
 protected:
  InputStatesTest() { input_.BindStartupKeys(); }
  void Press(std::initializer_list<int> held, bool active = true) {
    input_.Update(Keys(held), JoystickState{}, active);
  }
  InputStates input_;
};

TEST_F(InputStatesTest, KeysMapToStatesAfterStartupBinding) {
  struct Case {
    std::initializer_list<int> keys;
    InputStateSet expected;
  };
  const Case cases[] = {
      {{}, Set({})},
      {{vk::Space}, Set({StateDown, StateButton1})},  // Space also stays on Button1
      {{vk::Control}, Set({StateDown})},
      {{vk::Down}, Set({StateDown})},
      {{vk::Numpad2}, Set({})},      // replaced by Space at start-up
      {{vk::Letter('J')}, Set({})},  // replaced by Ctrl at start-up
      {{vk::Left, vk::Right}, Set({StateLeft, StateRight})},
      {{vk::Letter('H'), vk::Numpad6}, Set({StateLeft, StateRight})},
      {{vk::Up, vk::Numpad8, vk::Letter('K')}, Set({StateUp})},
      {{vk::Return}, Set({StateButton2})},
      {{vk::Letter('Z'), vk::Letter('X')}, Set({StateButton1, StateButton2})},
      {{vk::F2}, Set({StateButton9})},
      {{vk::Escape, vk::Letter('A'), vk::F1}, Set({})},
  };
  for (const Case& c : cases) {
    Press(c.keys);
    EXPECT_EQ(input_.States.Bits(), c.expected.Bits()) << "case " << (&c - cases);
    EXPECT_EQ(input_.HeldStates, c.expected);
  }
}

TEST(InputStatesTableTest, StoredTableBeforeStartupBinding) {
  InputStates input;
  EXPECT_EQ(input.Assigns[StateDown], (std::array<uint32_t, 3>{'J', vk::Down, vk::Numpad2}));
  input.BindStartupKeys();
  EXPECT_EQ(input.Assigns[StateDown], (std::array<uint32_t, 3>{vk::Control, vk::Down, vk::Space}));
  EXPECT_EQ(input.Assigns[StateButton9], (std::array<uint32_t, 3>{vk::F2, 0, 0}));
  EXPECT_EQ(input.Assigns[StateButton32], (std::array<uint32_t, 3>{0, 0, 0}));
}

TEST_F(InputStatesTest, HoldingSpaceSetsDownUntilTheUpdateAfterRelease) {
  Press({});
  EXPECT_FALSE(input_.States.Contains(StateDown));
  Press({vk::Space});
  EXPECT_TRUE(input_.States.Contains(StateDown));
  Press({vk::Space});
  EXPECT_TRUE(input_.States.Contains(StateDown));
  Press({});
  EXPECT_FALSE(input_.States.Contains(StateDown));
}

TEST_F(InputStatesTest, AStateTheGameRemovedReturnsOnlyAfterARelease) {
  Press({vk::Left});
  input_.States.Erase(StateLeft);
  Press({vk::Left});
  EXPECT_FALSE(input_.States.Contains(StateLeft));
  // Another key of the same state does not bring it back either.
  Press({vk::Left, vk::Numpad4});
  EXPECT_FALSE(input_.States.Contains(StateLeft));
  Press({});
  Press({vk::Numpad4});
  EXPECT_TRUE(input_.States.Contains(StateLeft));
}

TEST_F(InputStatesTest, EverythingReadsReleasedWhileTheWindowIsInactive) {
  Press({vk::Space, vk::Left});
  JoystickState joy{true, -1000, 1000, 0b101};
  input_.Update(Keys({vk::Space, vk::Left}), joy, false);
  EXPECT_TRUE(input_.States.Empty());
  EXPECT_TRUE(input_.HeldStates.Empty());
  input_.ActiveOnly = false;
  input_.Update(Keys({vk::Left}), joy, false);
  EXPECT_TRUE(input_.States.Contains(StateLeft));
}

TEST_F(InputStatesTest, JoystickDirectionsAndButtonsMergeWithKeys) {
  struct Case {
    JoystickState joy;
    std::initializer_list<int> keys;
    InputStateSet expected;
  };
  const Case cases[] = {
      {{true, 0, 0, 0}, {}, Set({})},
      {{true, -1, 0, 0}, {}, Set({StateLeft})},
      {{true, 1000, 0, 0}, {}, Set({StateRight})},
      {{true, 0, -400, 0}, {}, Set({StateUp})},
      {{true, 0, 1, 0}, {}, Set({StateDown})},
      {{true, -5, 5, 1u | (1u << 8) | (1u << 31)},
       {},
       Set({StateLeft, StateDown, StateButton1, StateButton9, StateButton32})},
      {{true, 700, 0, 0}, {vk::Left}, Set({StateLeft, StateRight})},
      {{false, -1000, -1000, 0xFFFFFFFFu}, {vk::Return}, Set({StateButton2})},  // unplugged
  };
  for (const Case& c : cases) {
    input_.States = InputStateSet{};
    input_.HeldStates = InputStateSet{};
    input_.Update(Keys(c.keys), c.joy, true);
    EXPECT_EQ(input_.States.Bits(), c.expected.Bits()) << "case " << (&c - cases);
  }
}

TEST_F(InputStatesTest, UnboundOrDisabledDevicesAddNothing) {
  JoystickState joy{true, -1000, 0, 0};
  input_.JoystickBindStates = false;
  input_.Update(Keys({vk::Right}), joy, true);
  EXPECT_EQ(input_.States, Set({StateRight}));
  EXPECT_EQ(input_.JoystickStates(), Set({StateLeft}));  // read but not merged
  input_.KeyboardEnabled = false;
  input_.Update(Keys({vk::Right}), joy, true);
  EXPECT_TRUE(input_.States.Empty());
}

TEST_F(InputStatesTest, OutOfRangeKeyCodesInTheTableNeverMatch) {
  input_.Assigns[StateButton5] = {256, 0xFFFFFFFFu, 0};
  std::array<bool, 256> all;
  all.fill(true);
  input_.Update(all, JoystickState{}, true);
  EXPECT_FALSE(input_.States.Contains(StateButton5));
  EXPECT_TRUE(input_.States.Contains(StateButton9));
}

}  // namespace
}  // namespace klv
