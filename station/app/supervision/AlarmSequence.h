#pragma once
// The alarm window and sound as a sequence of ticks. No Qt here: the alarm step decides, the
// window shows what it decided (AlarmActions). Main thread only.
//
// While any channel of an online meter is in alarm, the alarm step waits out the alarm delay,
// then blinks the alarm window red every second and plays Alarm.wav every fourth second (the
// window shows again with each play), until the operator silences it for 15 minutes. A tick
// without alarm reloads the delay, drops a pending silence and hides the window.
//
// With D the delay and ticks counted from the first of an alarm: ticks 1..D only count down; the
// window and sound come in tick D + 1 and the sound again in D + 5, D + 9, ... A silence asked for
// during tick T's second lets tick T + 1 blink and sound as due, then hides the window; ticks
// T + 2 .. T + 901 count the silence down, and tick T + 902 sounds again.

#include <cstdint>

// What the alarm window and sound do in one alarm tick, in this order.
struct AlarmActions {
  bool Blink = false;    // the window's texts are set and its colour alternates (red, face)
  bool Play = false;     // the sound plays; the window shows and comes to the front
  bool Silence = false;  // the window closes: the silence asked for begins
};

class AlarmSequence {
 public:
  // Ticks between two plays: the sound plays every fourth second.
  static constexpr std::int32_t kTicksBetweenPlays = 3;
  // Ticks of silence after the silence button: 15 minutes = 900 s.
  static constexpr std::int32_t kSilenceTicks = 15 * 60;

  // The alarm branch of a tick with alarm. `silenceRequested`: the alarm window's silence button
  // was pressed since the window was last closed. While the delay still runs, it only counts
  // down and nothing is to be done.
  AlarmActions AlarmTick(bool silenceRequested);

  // The reset branch, in two parts around the hiding of the window: a pending silence is
  // dropped, then the delay (seconds, the SMS page's Delay) is loaded. Start-up does the same.
  void DropSilence() { soundCountdown_ = 0; }
  void LoadDelay(std::int32_t seconds) { alarmDelayCountdown_ = seconds; }

  // Seconds of alarm still to wait; the tiles blink blue while it is above 0.
  std::int32_t AlarmDelayCountdown() const { return alarmDelayCountdown_; }
  // Ticks to wait before the next play.
  std::int32_t SoundCountdown() const { return soundCountdown_; }

 private:
  std::int32_t alarmDelayCountdown_ = 0;
  std::int32_t soundCountdown_ = 0;
};
