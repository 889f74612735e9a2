#pragma once
// Playing a wave file asynchronously, as the alarm sound does.
//
// PlayFile returns at once; the sound plays on the multimedia backend's own schedule. Playing
// again while a sound plays restarts it. A file that is missing or cannot be decoded is not an
// error: the system's alert beep stands in for it, so an alarm never passes silently because of
// a bad sound file (a missing file, or anything under the name that is not a regular file, does
// not even reach the audio system). A file that failed is tried afresh at the next play, so one
// put in place later is heard. A machine without an audio device plays nothing and reports
// nothing.
//
// Tests install a hook (ScopedPlaySoundHook) that receives the path of each play instead of the
// backend. Players, hooks and their calls belong to the GUI thread.

#include <QObject>
#include <QString>

#include <functional>
#include <string>

#include "platform/ScopedHook.h"

class QSoundEffect;

using PlaySoundHook = std::function<void(const std::string& path)>;

class TSoundPlayer : public QObject {
  Q_OBJECT
 public:
  explicit TSoundPlayer(QObject* parent = nullptr);
  ~TSoundPlayer() override;

  // Starts playing the wave file at `path` (UTF-8) and returns; through the hook when one is
  // installed.
  void PlayFile(const std::string& path);

 private:
  // Made on the first real play, so a player that only ever meets the hook (or never plays)
  // does not open the audio system.
  QSoundEffect* Effect();
  void BeepOnError();

  QSoundEffect* effect_ = nullptr;  // owned as a child
  QString source_;                  // the path last given to the effect
};

// Installs a hook and returns the one it replaces; an empty function restores the backend.
PlaySoundHook SetPlaySoundHook(PlaySoundHook hook);

using ScopedPlaySoundHook = ScopedHook<PlaySoundHook, &SetPlaySoundHook>;
