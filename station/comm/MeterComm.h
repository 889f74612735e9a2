#pragma once
// Modbus RTU master: the requests' exchanges and the meter poll (over either transport of
// ModbusTransport.h; the frames are those of ModbusFrame.h), and the serial line settings.

#include <cstdint>

#include "common/MeterRecord.h"
#include "station/comm/ModbusTransport.h"

inline constexpr int kPollReplyBufferSize = 120;  // the meter poll's reply buffer

// Request builders: each forms its 6-byte request, appends the CRC and runs one transaction over
// the link, expecting 5 + 2 x count bytes for a read and the 8-byte echo for a write. `reply` is
// the caller's buffer and must hold the expected length.
bool ReadInputRegs(ModbusTransport& link, std::uint8_t slave, std::uint8_t* reply,
                   std::uint16_t start, std::uint16_t count);
bool ReadHoldingRegs(ModbusTransport& link, std::uint8_t slave, std::uint8_t* reply,
                     std::uint16_t start, std::uint16_t count);
bool WriteSingleReg(ModbusTransport& link, std::uint8_t slave, std::uint8_t* reply,
                    std::uint16_t reg, std::int16_t value);

// Register value scaled by the decimals: multiplied by 0.1 `decimals` times, the product formed
// in 80-bit precision and rounded to float32 after every step.
float ScaleRegister(std::int16_t raw, int decimals);

// One poll of one meter over a serial port or a connected socket: read all channels, scale, set
// the four alarm flags, keep the online state (offline at the fifth failed poll in a row). A
// meter that MeterPollable refuses fails its poll without any exchange.
void PollMeter(ModbusTransport& link, TMeterRecord& meter);

// Serial line settings: 8 data bits, no parity, 2 stop bits; baud by index 0..7.
inline constexpr int kBaudRateCount = 8;
extern const std::int32_t BaudRateTable[kBaudRateCount];
