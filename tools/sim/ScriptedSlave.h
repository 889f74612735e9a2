#pragma once
// A scripted Modbus RTU slave for tests and demos: one or more slave addresses, each with its own
// holding and input register maps, served on a pty pair and/or on a loopback TCP listener that
// speaks RTU frames (CRC included, no MBAP header).
//
// Requests: fc 3 and fc 4 read n registers (1..125), fc 6 writes one holding register and echoes
// the request. An intact request to an address that is not served, or a frame with a bad CRC, gets
// no answer (as on a real bus). Other function codes, and reads past register 65535, get a Modbus
// exception reply. A request is read by its expected length (8 bytes for fc 3, 4 and 6) with a
// short inter-byte time-out (kInterByteTimeoutMs); a pty does not pace bytes at the baud rate.
//
// Scripting: each intact request to a served address takes the next queued SlaveReply, or the
// default one when the queue is empty. The reply can be withheld, damaged, delayed, sent for
// another address or function code, split in two writes with a pause, or replaced by an
// exception reply or by any bytes at all. A write takes effect whatever happens to its echo,
// except when the script answers it with an exception. Every frame received (intact or not,
// served address or not) is recorded raw.
//
// Thread-safety: the registers, the script and the request log may be used from any thread while
// the transports run. Start*, LinkAsCom and Stop belong to the thread that owns the object.
// Lifetime: the destructor stops the transports, joins their threads, closes every descriptor and
// removes the COM links it made.
//
// (tools/sim/SimIo.h also has PtyBridge: two ptys joined like a null-modem cable, for putting a
// slave library that opens a terminal device of its own on the far end of a station port.)

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using Frame = std::vector<std::uint8_t>;

class SimChannel;
class PtyServer;
class TcpServer;

enum class ReplyKind {
  Answer,         // the proper reply
  Silent,         // no reply at all
  BadCrc,         // the proper reply with its last CRC byte inverted
  SwappedCrc,     // the proper reply with its two CRC bytes in the wrong order
  OtherAddress,   // the proper reply sent from `otherAddress` (valid CRC)
  OtherFunction,  // the proper reply with function code `otherFunction` (valid CRC)
  Exception,      // exception reply: address, function | 0x80, `exceptionCode`, CRC (5 bytes)
  Raw,            // the bytes of `raw` as they are, whatever the request (none: no reply)
};

// How the slave answers one request. Delay and split apply to every kind that sends something.
struct SlaveReply {
  ReplyKind kind = ReplyKind::Answer;
  int delayMs = 0;         // pause between the end of the request and the first reply byte
  int splitAfter = 0;      // > 0: send this many bytes, pause splitPauseMs, then the rest
  int splitPauseMs = 0;
  std::uint8_t otherAddress = 0;
  std::uint8_t otherFunction = 0;
  std::uint8_t exceptionCode = 0;
  Frame raw;

  static SlaveReply Answer() { return {}; }
  static SlaveReply Silent() { return Of(ReplyKind::Silent); }
  static SlaveReply BadCrc() { return Of(ReplyKind::BadCrc); }
  static SlaveReply SwappedCrc() { return Of(ReplyKind::SwappedCrc); }
  static SlaveReply FromAddress(std::uint8_t address);
  static SlaveReply WithFunction(std::uint8_t function);
  static SlaveReply ExceptionReply(std::uint8_t code);
  // Any bytes in place of the reply: line noise, a reply cut short or run long.
  static SlaveReply RawBytes(Frame bytes);
  // The proper reply, sent late.
  static SlaveReply Late(int delayMs) { return Answer().Delayed(delayMs); }
  // The proper reply in two writes (two TCP segments) with a pause between.
  static SlaveReply Split(int firstBytes, int pauseMs) { return Answer().SplitAt(firstBytes, pauseMs); }

  SlaveReply Delayed(int ms) const;
  SlaveReply SplitAt(int firstBytes, int pauseMs) const;

 private:
  static SlaveReply Of(ReplyKind kind);
};

// CRC-16/MODBUS of the slave's own (bitwise, kept apart from the master's table-driven one so the
// two check each other); the low-order byte goes first on the wire.
std::uint16_t SlaveCrc16(const std::uint8_t* data, std::size_t length);
// Appends the two CRC bytes, low-order byte first.
void AppendSlaveCrc(Frame& frame);

class ScriptedSlave {
 public:
  static constexpr int kInterByteTimeoutMs = 50;
  static constexpr int kRequestLength = 8;  // fc 3, 4 and 6 requests, CRC included

  // Serves the given slave addresses (more can be added with AddSlave).
  explicit ScriptedSlave(std::vector<std::uint8_t> addresses = {1});
  ~ScriptedSlave();
  ScriptedSlave(const ScriptedSlave&) = delete;
  ScriptedSlave& operator=(const ScriptedSlave&) = delete;

  // ---- registers (all addresses start with every register 0) ----
  void AddSlave(std::uint8_t address);
  void SetHolding(std::uint8_t address, std::uint16_t reg, std::uint16_t value);
  void SetInput(std::uint8_t address, std::uint16_t reg, std::uint16_t value);
  // Consecutive registers from `start`.
  void SetHoldingBlock(std::uint8_t address, std::uint16_t start,
                       const std::vector<std::uint16_t>& values);
  void SetInputBlock(std::uint8_t address, std::uint16_t start,
                     const std::vector<std::uint16_t>& values);
  // An address that is not served raises std::invalid_argument (here and in the setters).
  std::uint16_t Holding(std::uint8_t address, std::uint16_t reg) const;
  std::uint16_t Input(std::uint8_t address, std::uint16_t reg) const;

  // ---- scripting ----
  // Queued replies are used one per intact request to a served address, before the default.
  void QueueReply(const SlaveReply& reply, int times = 1);
  void SetDefaultReply(const SlaveReply& reply);
  std::size_t QueuedReplies() const;

  // ---- request log ----
  std::vector<Frame> Requests() const;
  std::size_t RequestCount() const;
  // Waits until at least n frames have been received; false on time-out.
  bool WaitForRequests(std::size_t n, int timeoutMs) const;
  // Waits until every reply owed so far has been written out (or withheld); false on time-out.
  bool WaitForIdle(int timeoutMs) const;
  void ClearRequests();

  // ---- transports ----
  // Opens a pty pair and serves its master side on a background thread. Returns the slave-side
  // device path (what the master opens). Throws std::runtime_error on failure or second call.
  std::string StartPty();
  // Valid after StartPty returned.
  const std::string& PtyPath() const { return ptyPath_; }
  // Links <appDir>/dev/com<comNumber> to the pty (creating <appDir>/dev, replacing an old link),
  // so that the station's COM comNumber opens it. REQUIRES: StartPty. Returns the link path.
  std::string LinkAsCom(const std::string& appDir, int comNumber);

  // Listens on 127.0.0.1 at an ephemeral port (or `port` when not 0) and serves one connection
  // at a time on a background thread, until the peer closes it. Returns the port.
  // Throws std::runtime_error on failure or second call.
  int StartTcp(int port = 0);
  // Valid after StartTcp returned.
  int TcpPort() const { return tcpPort_; }
  // Connections accepted so far.
  int TcpAccepts() const;

  // Stops both transports (also done by the destructor). Idempotent.
  void Stop();

 private:
  struct Maps {
    std::vector<std::uint16_t> holding;
    std::vector<std::uint16_t> input;
  };
  // The bytes to send for one request (empty: stay silent) and how to send them.
  struct Plan {
    Frame bytes;
    SlaveReply how;
  };

  // Runs on a transport thread: answers requests until the channel closes or stops.
  void Serve(SimChannel& channel);
  // Records the frame and works out the reply.
  Plan HandleFrame(const Frame& request);
  // REQUIRES: mutex_ held; the address is served.
  Frame ProperReply(const Frame& request);
  Maps& MapsOf(std::uint8_t address);
  const Maps& MapsOf(std::uint8_t address) const;
  void NoteReplyDone();

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::map<std::uint8_t, Maps> slaves_;
  std::deque<SlaveReply> queue_;
  SlaveReply defaultReply_;
  std::vector<Frame> requests_;
  int repliesPending_ = 0;

  std::unique_ptr<PtyServer> pty_;
  std::unique_ptr<TcpServer> tcp_;
  std::string ptyPath_;
  int tcpPort_ = 0;
  std::vector<std::string> links_;
};
