// The reply to a set-value request: the read of holding register 31 and the write of a value to
// it, as the serial polling thread sends them, with the reply buffer it uses, through a link whose
// replies are the input's bytes: a serial port, or (built with FUZZ_OVER_TCP) the same exchange
// over a TCP connection, which shares the reply checks.

#include "platform/Clock.h"
#include "station/comm/SetValueRequest.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetSleepHook([](int) {});  // no pause before each attempt
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool write = input.ConsumeBool();
  const auto slave = input.ConsumeIntegral<std::uint8_t>();
  const auto value = input.ConsumeIntegral<std::int16_t>();
  FuzzLink link(input);
  std::uint8_t reply[kSetValueReplyBufferSize] = {};
  if (write) {
    if (WriteSingleReg(link.Transport(), slave, reply, SetValueRegister, value)) {
      // A write is answered by its echo: same length and CRC.
      FUZZ_CHECK(ReplyIntact(reply, kWriteEchoLength, kWriteEchoLength));
    }
  } else if (ReadHoldingRegs(link.Transport(), slave, reply, SetValueRegister, 1)) {
    FUZZ_CHECK(ReplyIntact(reply, ReadReplyLength(1), ReadReplyLength(1)));
    const auto read = static_cast<std::int16_t>((reply[3] << 8) | reply[4]);
    (void)read;
  }
  return 0;
}
