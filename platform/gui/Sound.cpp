#include "platform/gui/Sound.h"

#include <QApplication>
#include <QSoundEffect>
#include <QUrl>

#include <utility>

#include "platform/File.h"

namespace {

HookSeam<PlaySoundHook>& InstalledHook() {
  static HookSeam<PlaySoundHook> seam;
  return seam;
}

}  // namespace

TSoundPlayer::TSoundPlayer(QObject* parent) : QObject(parent) {}

TSoundPlayer::~TSoundPlayer() = default;

void TSoundPlayer::PlayFile(const std::string& path) {
  if (const PlaySoundHook& hook = InstalledHook().Get()) {
    hook(path);
    return;
  }
  const QString file = QString::fromStdString(path);
  // Only a regular file that opens reaches the audio system: a missing one never does, nor a
  // folder or a named pipe under the name, whose loading would wait for good. The file layer
  // looks without waiting.
  if (!SystemFiles().OpenExisting(path, FileAccess::Read).Status.ok()) {
    QApplication::beep();
    return;
  }
  QSoundEffect* effect = Effect();
  // A file that failed to load is loaded afresh: it may have been put in place since.
  if (file != source_ || effect->status() == QSoundEffect::Error) {
    effect->setSource(QUrl());
    effect->setSource(QUrl::fromLocalFile(file));
    source_ = file;
  }
  // While the file is still loading, the effect plays it as soon as it is ready.
  effect->play();
}

QSoundEffect* TSoundPlayer::Effect() {
  if (effect_ == nullptr) {
    effect_ = new QSoundEffect(this);
    connect(effect_, &QSoundEffect::statusChanged, this, [this] { BeepOnError(); });
  }
  return effect_;
}

void TSoundPlayer::BeepOnError() {
  if (effect_->status() == QSoundEffect::Error) QApplication::beep();
}

PlaySoundHook SetPlaySoundHook(PlaySoundHook hook) {
  return InstalledHook().Set(std::move(hook));
}
