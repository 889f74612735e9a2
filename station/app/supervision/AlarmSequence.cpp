#include "station/app/supervision/AlarmSequence.h"

AlarmActions AlarmSequence::AlarmTick(bool silenceRequested) {
  AlarmActions actions;
  if (alarmDelayCountdown_ > 0) {
    --alarmDelayCountdown_;
    return actions;
  }
  actions.Blink = true;
  if (soundCountdown_ > 0) {
    --soundCountdown_;
  } else {
    soundCountdown_ = kTicksBetweenPlays;
    actions.Play = true;
  }
  if (silenceRequested) {
    soundCountdown_ = kSilenceTicks;
    actions.Silence = true;
  }
  return actions;
}
