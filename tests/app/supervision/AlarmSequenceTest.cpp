#include "station/app/supervision/AlarmSequence.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The alarm branch tick by tick; ticks are counted from the first tick of the alarm.
class AlarmSequenceTest : public ::testing::Test {
 protected:
  // A tick without alarm before the alarm: the delay is loaded.
  void Quiet(std::int32_t delay) {
    sequence.DropSilence();
    sequence.LoadDelay(delay);
    tick_ = 0;
  }
  // `count` alarm ticks; the silence button is pressed during tick `silenceAfter` (0: never).
  void AlarmTicks(int count, int silenceAfter = 0) {
    bool silence = false;
    for (int i = 0; i < count; ++i) {
      ++tick_;
      const AlarmActions actions = sequence.AlarmTick(silence);
      silence = false;
      if (actions.Blink) blinks.push_back(tick_);
      if (actions.Play) plays.push_back(tick_);
      if (actions.Silence) silences.push_back(tick_);
      if (tick_ == silenceAfter) silence = true;
    }
  }

  AlarmSequence sequence;
  std::vector<int> blinks, plays, silences;

 private:
  int tick_ = 0;
};

TEST_F(AlarmSequenceTest, AfterTheDelayItBlinksEverySecondAndSoundsEveryFourth) {
  Quiet(10);
  AlarmTicks(20);
  EXPECT_EQ(plays, (std::vector<int>{11, 15, 19}));
  EXPECT_EQ(blinks.size(), 10u);
  EXPECT_EQ(blinks.front(), 11);
  EXPECT_EQ(sequence.AlarmDelayCountdown(), 0);
  EXPECT_EQ(sequence.SoundCountdown(), 2);
}

TEST_F(AlarmSequenceTest, AnAlarmOfExactlyTheDelayNeitherBlinksNorSounds) {
  Quiet(3);
  AlarmTicks(3);
  EXPECT_TRUE(blinks.empty());
  EXPECT_TRUE(plays.empty());
  Quiet(3);
  EXPECT_EQ(sequence.AlarmDelayCountdown(), 3);
}

TEST_F(AlarmSequenceTest, ADelayOfZeroOrLessSoundsInTheFirstTick) {
  for (std::int32_t delay : {0, -4}) {
    plays.clear();
    Quiet(delay);
    AlarmTicks(1);
    EXPECT_EQ(plays, std::vector<int>{1}) << delay;
  }
}

TEST_F(AlarmSequenceTest, SilenceClosesTheWindowAfterTheNextTickAndHoldsTheSoundNineHundredTicks) {
  Quiet(0);
  AlarmTicks(906, 4);  // pressed during the fourth second
  EXPECT_EQ(silences, std::vector<int>{5});
  EXPECT_EQ(plays, (std::vector<int>{1, 5, 906}));  // tick 5 still sounds as due
  EXPECT_EQ(blinks.size(), 906u);                  // the colour keeps alternating
}

TEST_F(AlarmSequenceTest, OneQuietSecondDropsASilenceAndTheNextAlarmWaitsTheWholeDelay) {
  Quiet(3);
  AlarmTicks(4, 4);  // sounds at 4; silence pressed
  Quiet(3);          // the alarm clears before the silence was taken
  AlarmTicks(8);
  EXPECT_EQ(plays, (std::vector<int>{4, 4, 8}));
  EXPECT_TRUE(silences.empty());
}

}  // namespace
