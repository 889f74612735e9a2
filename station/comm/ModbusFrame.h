#pragma once
// The Modbus RTU frame rules of the master: the CRC, the request frame, the length of a read
// reply and the one check every reply must pass.
//
// Request frame (8 bytes): address, function code (4, 3 or 6), register hi/lo, count or value
// hi/lo, CRC lo/hi. A reply is judged by its length and CRC only (ReplyIntact).

#include <array>
#include <cstdint>

inline constexpr std::uint8_t kFcReadHolding = 3;
inline constexpr std::uint8_t kFcReadInput = 4;
inline constexpr std::uint8_t kFcWriteSingle = 6;
inline constexpr int kWriteEchoLength = 8;

inline constexpr int kRequestFrameLength = 8;
// One request with its CRC; the low-order byte of the CRC register goes first.
using RequestFrame = std::array<std::uint8_t, kRequestFrameLength>;

// CRC-16/MODBUS; the high-order byte of the result is the first CRC byte on the wire.
std::uint16_t CalcCrc16(const std::uint8_t* data, std::uint16_t length);
// The request to `slave`: function, register and count (or value), high-order bytes first, then
// the CRC.
RequestFrame MakeRequest(std::uint8_t slave, std::uint8_t function, std::uint16_t reg,
                         std::uint16_t word);
// Expected length of a read reply for n registers: 5 + 2n, computed as an unsigned byte.
int ReadReplyLength(std::uint16_t registerCount);
// The one rule a reply must satisfy: exactly the expected length and a matching CRC.
bool ReplyIntact(const std::uint8_t* reply, int receivedLength, int expectedLength);
