#include "platform/Thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>

namespace {

// One step above normal: a nice value one below the thread's present one. Needs CAP_SYS_NICE;
// without it the call fails and the thread keeps its priority.
void RaiseOneStep() {
  const pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno != 0) return;
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice - 1);
}

}  // namespace

TThread::~TThread() {
  assert(!thread_.joinable() && "DestroyThread must end a thread before it is freed");
}

void TThread::Resume() {
  if (started_) return;
  started_ = true;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  if (priority_ == ThreadPriority::Higher) RaiseOneStep();
  try {
    Execute();
  } catch (...) {
    fatalException_ = std::current_exception();
  }
  finished_.store(true, std::memory_order_release);
}

void TThread::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void DestroyThread(TThread* thread) {
  if (thread == nullptr) return;
  thread->Terminate();
  thread->Resume();
  thread->WaitFor();
  delete thread;
}
