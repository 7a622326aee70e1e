// The name entry: typed characters, the entry into the table, the save and
// the way back to the high-score screen.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "http/loopback_server.h"
#include "screens/ask.h"
#include "screens/chk.h"
#include "support/game_fixture.h"

namespace klv {
namespace {

TEST(TypedChars, CodesAboveFortySevenExceptTheFieldSeparator) {
  for (int c = 0; c < 256; ++c) {
    const bool want = c > 47 && c != '|';
    EXPECT_EQ(AcceptsTypedChar(static_cast<unsigned char>(c)), want) << c;
  }
}

class NameEntry : public test::GameFixture {
 protected:
  // Plays a game to its end by time with the given final score.
  void FinishGame(int32_t score) {
    S().MenuPos = 1;
    Key(vk::Return);
    ASSERT_EQ(G().GameState, Screen::Game);
    Wait(2500);
    G().Round1->LocalAngler()->Score = Score::Plain(static_cast<uint32_t>(score));
    G().Round1->RoundClock = 0;
    Wait(100);
    ASSERT_EQ(G().GameState, Screen::GameOver);
    Wait(4100);
  }
};

TEST_F(NameEntry, QualifyingScoreIsEnteredSavedAndShown) {
  Cfg().SendScores = false;
  FinishGame(850);
  ASSERT_EQ(G().GameState, Screen::EnterName);
  EXPECT_TRUE(S().SendCheck->Shown);
  ASSERT_NE(S().AskBox, nullptr);
  EXPECT_EQ(S().AskBox->X, 200);
  EXPECT_EQ(S().AskBox->Y, 187);
  EXPECT_TRUE(G().Hold1.Paused());
  EXPECT_FALSE(G().Hold1.Clock().Enabled());
  Key(vk::Escape);  // no Escape in the name entry
  EXPECT_EQ(G().GameState, Screen::EnterName);
  Key(vk::Back);  // an empty name stays empty
  EXPECT_EQ(S().EnteredName, "");
  Type("Вася|1日2 ab");  // no code page byte for 日: dropped
  EXPECT_EQ(Cp1251ToUtf8(S().EnteredName), "Вася12ab");
  Key(vk::Back);
  EXPECT_EQ(Cp1251ToUtf8(S().EnteredName), "Вася12a");
  Frames(2);
  ForgetSounds();
  Key(vk::Return);
  EXPECT_EQ(G().GameState, Screen::HiScores);
  EXPECT_EQ(S().MenuPos, 3);
  EXPECT_TRUE(ButtonLit(3));
  EXPECT_FALSE(S().SendCheck->Shown);
  EXPECT_EQ(S().AskBox, nullptr);
  EXPECT_EQ(Sounds("Poimal"), 1);
  // Default table 1000..100: 850 goes to place 3.
  EXPECT_EQ(Cp1251ToUtf8(Cfg().Scores[2].Name), "Вася12a");
  EXPECT_EQ(Cfg().Scores[2].Score.Value(), 850u);
  Config saved;
  LoadConfig(dir_.string(), saved);
  EXPECT_EQ(Cp1251ToUtf8(saved.Scores[2].Name), "Вася12a");
  EXPECT_EQ(saved.Scores[2].Score.Value(), 850u);
  EXPECT_EQ(saved.Scores[9].Score.Value(), 200u);
  // Leaving the table selects "HScores" on the menu.
  Key(vk::Escape);
  EXPECT_EQ(G().GameState, Screen::Menu);
  EXPECT_EQ(S().MenuPos, 3);
}

TEST_F(NameEntry, TheNameIsKeptForTheNextEntryAndLimitedToTwelve) {
  Cfg().SendScores = false;
  FinishGame(5000);
  ASSERT_EQ(G().GameState, Screen::EnterName);
  Type("abcdefghijklmnop");
  EXPECT_EQ(S().EnteredName, "abcdefghijkl");
  Key(vk::Return);
  ASSERT_EQ(G().GameState, Screen::HiScores);
  Key(vk::Escape);
  FinishGame(6000);
  ASSERT_EQ(G().GameState, Screen::EnterName);
  EXPECT_EQ(S().EnteredName, "abcdefghijkl");
  Key(vk::Back);
  Type("Z");
  Key(vk::Space);
  EXPECT_EQ(Cfg().Scores[0].Name, "abcdefghijkZ");
  EXPECT_EQ(Cfg().Scores[1].Name, "abcdefghijkl");
}

TEST_F(NameEntry, ScoresThatDoNotQualifyGoToTheMenu) {
  for (int32_t score : {100, 0, -50}) {
    SCOPED_TRACE(score);
    FinishGame(score);
    EXPECT_EQ(G().GameState, Screen::Menu);
    EXPECT_EQ(Cfg().Scores[9].Score.Value(), 100u);
  }
}

// The check box: a click on it toggles sending; elsewhere nothing happens.
TEST_F(NameEntry, CheckBoxClick) {
  Cfg().SendScores = false;
  FinishGame(900);
  ASSERT_EQ(G().GameState, Screen::EnterName);
  ForgetSounds();
  Click(380, 390);
  EXPECT_TRUE(Cfg().SendScores);
  Click(390, 400);
  EXPECT_FALSE(Cfg().SendScores);
  Click(399, 390);  // on the edge: outside
  Click(600, 100);
  EXPECT_FALSE(Cfg().SendScores);
  EXPECT_EQ(Sounds("Poimal"), 0);
  EXPECT_EQ(G().GameState, Screen::EnterName);
}

// Nobody answers: the box says so, nothing is entered, and the player may
// try again or clear the check box.
TEST_F(NameEntry, FailedSubmissionKeepsTheEntryOpen) {
  Cfg().SendScores = true;
  FinishGame(900);
  ASSERT_EQ(G().GameState, Screen::EnterName);
  Type("Anna");
  Key(vk::Return);
  EXPECT_TRUE(S().Sending);
  EXPECT_FALSE(S().SendCheck->Shown);
  // Input waits while the requests run.
  Type("x");
  Key(vk::Back);
  EXPECT_EQ(S().EnteredName, "Anna");
  for (int i = 0; i < 2000 && S().Sending; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Frames(1);
  }
  ASSERT_FALSE(S().Sending);
  ASSERT_FALSE(platform_->messages.empty());
  EXPECT_EQ(platform_->messages.back(), "Can't connect to server!");
  EXPECT_EQ(G().GameState, Screen::EnterName);
  EXPECT_TRUE(S().SendCheck->Shown);
  EXPECT_EQ(Cfg().Scores[1].Score.Value(), 900u);  // the default table's
  EXPECT_EQ(Cp1251ToUtf8(Cfg().Scores[1].Name), "Ваня");
  EXPECT_FALSE(S().SwallowDialogKey);
  // A key released while a box is up does nothing else.
  S().SwallowDialogKey = true;
  Key(vk::Return);
  EXPECT_FALSE(S().SwallowDialogKey);
  EXPECT_FALSE(S().Sending);
  EXPECT_EQ(G().GameState, Screen::EnterName);
  Click(380, 390);
  EXPECT_FALSE(Cfg().SendScores);
  Key(vk::Return);
  EXPECT_EQ(G().GameState, Screen::HiScores);
  EXPECT_EQ(Cfg().Scores[2].Name, "Anna");  // below the equal 900
}

// The service answers: the frames go on with the wait text meanwhile, then
// the score is entered and the high-score screen opens.
TEST_F(NameEntry, SubmissionRunsWhileFramesGoOn) {
  test::LoopbackServer server([](test::LoopbackServer& srv, int fd, const std::string& head) {
    if (head.find("version&prg=Marlowfin") != std::string::npos) {
      srv.Pause(std::chrono::milliseconds(300));
      test::LoopbackServer::SendAll(fd, test::LoopbackServer::Answer(200, "OK|1|2|3|tok|"));
    } else {
      test::LoopbackServer::SendAll(fd, test::LoopbackServer::Answer(200, "done"));
    }
  });
  G().ScoreService = server.Base();
  Cfg().SendScores = true;
  FinishGame(900);
  ASSERT_EQ(G().GameState, Screen::EnterName);
  Type("Anna");
  Key(vk::Return);
  ASSERT_TRUE(S().Sending);
  Frames(2);
  // "Пожалуйста ждите..." in gold where the entry texts were.
  bool gold = false;
  const Surface& frame = platform_->LastFrame();
  for (int y = 285; y < 310 && !gold; ++y)
    for (int x = 330; x < 480 && !gold; ++x) {
      uint32_t p = frame.At(x, y);
      gold = ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 150 && (p & 0xFF) < 80;
    }
  EXPECT_TRUE(gold);
  for (int i = 0; i < 2000 && S().Sending; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Frames(1);
  }
  EXPECT_EQ(G().GameState, Screen::HiScores);
  for (const std::string& m : platform_->messages) EXPECT_NE(m, "Can't connect to server!");
  EXPECT_EQ(Cfg().Scores[2].Name, "Anna");
  bool scoreSent = false;
  for (const std::string& r : server.Requests())
    scoreSent = scoreSent || r.find("hs&prg=Marlowfin&inf=") != std::string::npos;
  EXPECT_TRUE(scoreSent);
  server.Stop();
}

// The service's answer to the score is read: a refusal is said in one box,
// and the score goes into the local table all the same; an answer that is not
// a refusal (an older service's) is taken as the score gone in.
TEST_F(NameEntry, ARefusedScoreIsSaidAndStillEnteredLocally) {
  struct Case {
    int status;
    const char* body;
    bool refused;
  };
  const Case cases[] = {
      {403, "ERR|token|", true},  {429, "ERR|busy|", true}, {200, "ERR|score|", true},
      {200, "OK|stored|", false}, {200, "done", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.status) + " " + c.body);
    Shutdown();
    Boot(7);
    test::LoopbackServer server([&c](test::LoopbackServer&, int fd, const std::string& head) {
      if (head.find("version&prg=Marlowfin") != std::string::npos) {
        test::LoopbackServer::SendAll(fd, test::LoopbackServer::Answer(200, "OK|1|2|3|tok|"));
      } else {
        test::LoopbackServer::SendAll(fd, test::LoopbackServer::Answer(c.status, c.body));
      }
    });
    G().ScoreService = server.Base();
    Cfg().SendScores = true;
    FinishGame(900);
    ASSERT_EQ(G().GameState, Screen::EnterName);
    platform_->messages.clear();
    Type("Anna");
    Key(vk::Return);
    for (int i = 0; i < 2000 && S().Sending; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      Frames(1);
    }
    EXPECT_EQ(G().GameState, Screen::HiScores);
    EXPECT_EQ(Cfg().Scores[2].Name, "Anna");
    const bool said =
        std::find(platform_->messages.begin(), platform_->messages.end(),
                  "Мировая таблица не приняла результат") != platform_->messages.end();
    EXPECT_EQ(said, c.refused);
    server.Stop();
  }
}

}  // namespace
}  // namespace klv
