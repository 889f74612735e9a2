#include "platform/ComPort.h"

#include <map>
#include <mutex>

namespace {

struct Registry {
  std::mutex mutex;
  std::map<ComHandle, std::shared_ptr<ComPort>> ports;
  ComHandle next = 1;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

ComHandle RegisterComPort(std::unique_ptr<ComPort> port) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  const ComHandle handle = r.next++;
  r.ports.emplace(handle, std::shared_ptr<ComPort>(std::move(port)));
  return handle;
}

std::shared_ptr<ComPort> ComPortFromHandle(ComHandle handle) {
  if (handle == kComNeverOpened || handle == kComInvalid) return nullptr;
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto it = r.ports.find(handle);
  return it == r.ports.end() ? nullptr : it->second;
}

void CloseComHandle(ComHandle handle) {
  std::shared_ptr<ComPort> closing;
  {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.ports.find(handle);
    if (it == r.ports.end()) return;
    closing = std::move(it->second);
    r.ports.erase(it);
  }
  // The port closes when the last user lets go of it, outside the lock.
}
