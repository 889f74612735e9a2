#include "platform/gui/ProcessStart.h"

#include <QProcess>
#include <QString>

#include <utility>

namespace {

HookSeam<ProcessStartHook>& Hook() {
  static HookSeam<ProcessStartHook> seam;
  return seam;
}

}  // namespace

bool StartProgramDetached(const std::string& path) {
  if (const ProcessStartHook& hook = Hook().Get()) return hook(path);
  // Detached: the new process is not our child, so it is never left as a zombie.
  return QProcess::startDetached(QString::fromStdString(path), {});
}

ProcessStartHook SetProcessStartHook(ProcessStartHook hook) {
  return Hook().Set(std::move(hook));
}
