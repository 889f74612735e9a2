#pragma once
// The seams that tests replace: boxes, dialogs, sound, program starts, the clock, sleeping and
// the memory figure each go through a hook. The program installs none, so the real call runs; a
// test installs a function that records the call and answers for it, through a ScopedHook that
// puts the previous hook back when it goes, so hooks nest and never outlive their test.
//
// HookSeam holds one seam's hook. Holding a std::function, it belongs to one thread (the GUI
// thread for the windows' seams). Holding a plain function pointer, it keeps it in an atomic:
// the polling threads sleep and read the clock through their seams, and installing a hook is
// safe while they run.

#include <atomic>
#include <utility>

template <class Hook>
class HookSeam {
 public:
  // The installed hook; empty when the real call runs.
  const Hook& Get() const { return hook_; }
  // Installs `hook` and returns the one it replaces; an empty hook restores the real call.
  Hook Set(Hook hook) { return std::exchange(hook_, std::move(hook)); }

 private:
  Hook hook_;
};

template <class Result, class... Args>
class HookSeam<Result (*)(Args...)> {
 public:
  using Hook = Result (*)(Args...);
  Hook Get() const { return hook_.load(std::memory_order_acquire); }
  Hook Set(Hook hook) { return hook_.exchange(hook, std::memory_order_acq_rel); }

 private:
  std::atomic<Hook> hook_{nullptr};
};

// While it lives, its hook is installed through `Install` (a seam's Set function, which returns
// the hook it replaces); the previous hook comes back when it goes.
template <class Hook, Hook (*Install)(Hook)>
class ScopedHook {
 public:
  explicit ScopedHook(Hook hook) : previous_(Install(std::move(hook))) {}
  ~ScopedHook() { Install(std::move(previous_)); }
  ScopedHook(const ScopedHook&) = delete;
  ScopedHook& operator=(const ScopedHook&) = delete;

 private:
  Hook previous_;
};
