#pragma once
// Modbus RTU master: CRC, request builders, one request/reply transaction over an open COM port
// or over the client socket (the same RTU frame, CRC included, on a raw TCP connection: no MBAP
// header), the meter poll, and opening and closing COM ports.
//
// Request frame (8 bytes): address, function code (4, 3 or 6), register hi/lo, count or value
// hi/lo, CRC lo/hi. A reply is judged by its length and CRC only (ReplyIntact).

#include <atomic>
#include <cstdint>

#include "common/MeterRecord.h"

class ComPort;
class TClientSocket;

// Pause before every transaction attempt, serial and TCP. 300 ms from program start; every serial
// polling thread sets it to 2000 before each poll, and nothing sets it back.
inline constexpr std::int32_t kStartPollDelayMs = 300;
inline constexpr std::int32_t kSerialPollDelayMs = 2000;
extern std::atomic<std::int32_t> PollDelay;

inline constexpr int kMaxTransactAttempts = 3;
// Send and receive time-outs of the socket, set on every TCP transaction: a receive that runs
// into it fails its attempt, and the error handler closes the connection.
inline constexpr int kSocketTimeoutMs = 300;
inline constexpr std::uint8_t kFcReadHolding = 3;
inline constexpr std::uint8_t kFcReadInput = 4;
inline constexpr std::uint8_t kFcWriteSingle = 6;
inline constexpr int kPollReplyBufferSize = 120;  // the meter poll's reply buffer
inline constexpr int kWriteEchoLength = 8;

// CRC-16/MODBUS; the high-order byte of the result is the first CRC byte on the wire.
std::uint16_t CalcCrc16(const std::uint8_t* data, std::uint16_t length);
// Expected length of a read reply for n registers: 5 + 2n, as an unsigned byte.
std::uint8_t ReadReplyLength(std::uint16_t registerCount);
// The one rule a reply must satisfy: exactly the expected length and a matching CRC.
bool ReplyIntact(const std::uint8_t* reply, int receivedLength, int expectedLength);

// Appends the CRC to the request in place (the buffer has room for 2 more bytes), then up to 3
// attempts: sleep PollDelay, purge the receive queue, write, read exactly expectedLength bytes.
bool SerialTransact(ComPort& port, std::uint8_t* request, int requestLength, std::uint8_t* reply,
                    int expectedLength);
// Appends the CRC, returns false at once when the socket is not active, sets the send and
// receive time-outs (kSocketTimeoutMs), sends once, then up to 3 receive attempts each after a
// PollDelay sleep.
bool SocketTransact(TClientSocket& socket, std::uint8_t* request, std::uint8_t requestLength,
                    std::uint8_t* reply, std::uint8_t expectedLength);

bool ReadInputRegs(ComPort& port, std::uint8_t slave, std::uint8_t* reply, std::uint16_t start,
                   std::uint16_t count);
bool ReadHoldingRegs(ComPort& port, std::uint8_t slave, std::uint8_t* reply, std::uint16_t start,
                     std::uint16_t count);
bool WriteSingleReg(ComPort& port, std::uint8_t slave, std::uint8_t* reply, std::uint16_t reg,
                    std::int16_t value);
bool ReadInputRegsTcp(TClientSocket& socket, std::uint8_t slave, std::uint8_t* reply,
                      std::uint16_t start, std::uint16_t count);
bool ReadHoldingRegsTcp(TClientSocket& socket, std::uint8_t slave, std::uint8_t* reply,
                        std::uint16_t start, std::uint16_t count);

using SerialReadBuilder = bool (*)(ComPort&, std::uint8_t, std::uint8_t*, std::uint16_t,
                                   std::uint16_t);
using TcpReadBuilder = bool (*)(TClientSocket&, std::uint8_t, std::uint8_t*, std::uint16_t,
                                std::uint16_t);
// Indexed by the meter's comm code: 0 = "3X" (fc 4), 1 = "4X" (fc 3).
struct ReadRequestBuilderTables {
  SerialReadBuilder Serial[2];
  TcpReadBuilder Tcp[2];
};
extern const ReadRequestBuilderTables ReadRequestBuilders;

// Register value scaled by the decimals: multiplied by 0.1 `decimals` times, the product formed
// in 80-bit precision and rounded to float32 after every step.
float ScaleRegister(std::int16_t raw, int decimals);

// One poll of one meter: read all channels, scale, set the four alarm flags, keep the online
// state (offline at the fifth failed poll in a row). A meter that MeterPollable refuses fails
// its poll without any exchange.
void PollMeter(ComPort& port, TMeterRecord& meter);
void PollMeterTcp(TClientSocket& socket, TMeterRecord& meter);

// Serial line settings: 8 data bits, no parity, 2 stop bits; baud by index 0..7.
inline constexpr int kBaudRateCount = 8;
extern const std::int32_t BaudRateTable[kBaudRateCount];

// Opens COM(portIndex + 1) into the slot with the baud of `baudIndex`. A slot that holds a handle
// is closed first. True when the port is open and set up; on failure the slot holds -1.
// A port or baud index outside the tables fails the open.
bool OpenComPort(ComHandle& slot, int portIndex, int baudIndex);
// Closes the slot's port and leaves -1; a slot of 0 is left alone.
void CloseComPort(ComHandle& slot);
