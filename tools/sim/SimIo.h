#pragma once
// The byte-stream side of the simulated meters: a pty pair and a loopback TCP listener, each
// served by one background thread that a stop pipe can wake from any wait.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

enum class ReadOutcome {
  Frame,    // bytes arrived and then the line went quiet (or the expected length was reached)
  Closed,   // the peer closed the stream (bytes read before may be in the frame)
  Stopped,  // the server is stopping
};

// One open stream (the pty master, or one accepted TCP connection) as the slave logic sees it.
// Does not own the descriptors.
class SimChannel {
 public:
  SimChannel(int fd, int stopFd) : fd_(fd), stopFd_(stopFd) {}

  // Waits without limit for a first byte, then reads until `maxLength` bytes are there or
  // `interByteMs` pass without a byte.
  ReadOutcome ReadRequest(std::vector<std::uint8_t>& frame, std::size_t maxLength,
                          int interByteMs);
  // Waits `delayMs`, then writes the bytes; with `splitAfter` > 0 writes that many, waits
  // `splitPauseMs`, then writes the rest. False when stopping or the stream failed.
  bool SendReply(const std::vector<std::uint8_t>& bytes, int delayMs, int splitAfter,
                 int splitPauseMs);
  // Writes every byte, waiting while the stream is full. False when stopping or on failure.
  bool WriteAll(const std::uint8_t* data, std::size_t length);

 private:

  int fd_;
  int stopFd_;
};

using ChannelHandler = std::function<void(SimChannel&)>;

// A background thread with a stop pipe. Start once; Stop wakes every wait and joins (idempotent).
class SimServer {
 public:
  SimServer();
  virtual ~SimServer();  // REQUIRES: Stop was called by the subclass's destructor or earlier
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  void Start(ChannelHandler handler);
  void Stop();

 protected:
  virtual void Run(const ChannelHandler& handler) = 0;
  int StopFd() const { return stopRead_; }
  bool Stopping() const;

 private:
  int stopRead_ = -1;
  int stopWrite_ = -1;
  std::thread thread_;
};

// A pty pair in raw mode with a non-blocking master. It also keeps its slave side open, so the
// master never sees a hang-up between two users of the device.
class PtyPair {
 public:
  PtyPair();  // throws std::runtime_error
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

// A pty pair whose master side the thread serves.
class PtyServer : public SimServer {
 public:
  ~PtyServer() override;
  const std::string& SlavePath() const { return pty_.SlavePath(); }

 private:
  void Run(const ChannelHandler& handler) override;

  PtyPair pty_;
};

// Two pty pairs whose master sides the thread joins, so that what one program writes to the
// first device another program reads from the second and back: a null-modem cable between two
// programs that each want a terminal device of their own (a slave library under test on one end,
// the station's port on the other). The handler is not used.
class PtyBridge : public SimServer {
 public:
  PtyBridge();  // starts the thread; throws std::runtime_error
  ~PtyBridge() override;
  const std::string& FirstPath() const { return first_.SlavePath(); }
  const std::string& SecondPath() const { return second_.SlavePath(); }

 private:
  void Run(const ChannelHandler& handler) override;
  // Moves what is waiting on one master to the other; false when stopping.
  bool Relay(int from, int to);

  PtyPair first_;
  PtyPair second_;
};

// A listener on 127.0.0.1; the thread accepts one connection at a time and serves it until the
// peer closes it.
class TcpServer : public SimServer {
 public:
  explicit TcpServer(int port);  // 0 = ephemeral; throws std::runtime_error
  ~TcpServer() override;
  int Port() const { return port_; }
  int Accepts() const { return accepts_.load(std::memory_order_relaxed); }

 private:
  void Run(const ChannelHandler& handler) override;

  int listen_ = -1;
  int port_ = 0;
  std::atomic<int> accepts_{0};
};

// Makes <appDir>/dev/com<comNumber> a symbolic link to `target` (replacing an old link) and
// returns its path; throws std::runtime_error.
std::string LinkDevice(const std::string& appDir, int comNumber, const std::string& target);
// Removes the link when it still points at `target`.
void RemoveDeviceLink(const std::string& link, const std::string& target);
