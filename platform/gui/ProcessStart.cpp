#include "platform/gui/ProcessStart.h"

#include <QProcess>
#include <QString>

#include <utility>

namespace {

ProcessStartHook& Hook() {
  static ProcessStartHook hook;
  return hook;
}

}  // namespace

bool StartProgramDetached(const std::string& path) {
  if (Hook()) return Hook()(path);
  // Detached: the new process is not our child, so it is never left as a zombie.
  return QProcess::startDetached(QString::fromStdString(path), {});
}

ProcessStartHook SetProcessStartHook(ProcessStartHook hook) {
  return std::exchange(Hook(), std::move(hook));
}
