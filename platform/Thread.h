#pragma once
// A thread object in place of the component library's thread class: created suspended, given
// its data through public fields, then resumed. (A base constructor cannot start the thread:
// the subclass's Execute does not exist yet. A subclass that is asked to start at once calls
// Resume at the end of its own constructor.) Ended by DestroyThread (terminate, resume if
// still suspended, wait, free). Subclasses override Execute only and look at Terminated() at the
// start of every turn.

#include <atomic>
#include <exception>
#include <memory>
#include <thread>

enum class ThreadPriority { Normal, Higher };

class TThread {
 public:
  TThread() = default;
  virtual ~TThread();  // REQUIRES: the thread has ended (use DestroyThread)
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts a suspended thread; does nothing once started.
  void Resume();
  void Terminate() { terminated_.store(true, std::memory_order_relaxed); }
  bool Terminated() const { return terminated_.load(std::memory_order_relaxed); }
  // True once Execute has ended (returned or raised).
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // An exception that escaped Execute ends the thread (not the program) and is kept here.
  // REQUIRES: Finished().
  std::exception_ptr FatalException() const { return fatalException_; }
  // Waits until Execute has returned. A thread that was never resumed returns at once.
  void WaitFor();
  // Higher raises the thread one step above normal where the system allows it; where it does
  // not, the thread silently keeps its priority. Takes effect when the thread starts.
  void SetPriority(ThreadPriority priority) { priority_ = priority; }
  ThreadPriority Priority() const { return priority_; }

 protected:
  virtual void Execute() = 0;

 private:
  void Run();

  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::exception_ptr fatalException_;  // written by the thread before finished_
  bool started_ = false;
  ThreadPriority priority_ = ThreadPriority::Normal;
  std::thread thread_;
};

// Ends a thread object: sets Terminated, resumes it if it was created suspended (so Execute sees
// Terminated and returns), waits for Execute to return, then frees the object.
void DestroyThread(TThread* thread);

struct ThreadDestroyer {
  void operator()(TThread* thread) const { DestroyThread(thread); }
};
template <class T>
using ThreadPtr = std::unique_ptr<T, ThreadDestroyer>;
