#include "station/app/parts/BatchAdd.h"

#include <iterator>
#include <utility>

#include "common/FixedText.h"
#include "common/StrConv.h"

namespace {

constexpr char kNotANumber[] = "请正确输入数值!";
constexpr char kTooManyMeters[] = "添加后设备个数大于120台, 请减少要添加的设备数!";
constexpr char kTooManyChannels[] = "设备通道数不得大于48个, 请减少要添加的通道数!";
constexpr char kNoChannels[] = "设备通道数不得小于1个, 请增加要添加的通道数!";

// Colour (0x00BBGGRR) of channel j of every new meter: entry j mod 16.
constexpr std::int32_t kBatchChannelColours[] = {
    0xFF0000,  // blue
    0x0000FF,  // red
    0x00FF00,  // lime
    0x008000,  // green
    0xFFFFFF,  // white
    0x00FFFF,  // yellow
    0xFF00FF,  // fuchsia
    0xF0CAA6,  // sky blue
    0x808000,  // teal
    0x008080,  // olive
    0x800080,  // purple
    0xFFFF00,  // aqua
    0xC0DCC0,  // money green
    0x000080,  // maroon
    0x00A5FF,  // orange
    0xC1B6FF,  // light pink
};
constexpr int kBatchColourCount = static_cast<int>(std::size(kBatchChannelColours));

// `base` followed by the decimal number, as the record field takes it (cut to its width).
template <std::size_t N>
void WriteNumberedName(char (&field)[N], const std::string& base, int number) {
  WriteFixedText(field, base + std::to_string(number));
}

}  // namespace

std::optional<TBatchAddInput> ConvertBatchAdd(const TBatchAddTexts& texts) {
  TBatchAddInput input;
  // Converted in this order; the first that fails refuses the whole entry.
  for (auto [text, field] : {std::pair{&texts.MeterCount, &input.MeterCount},
                             std::pair{&texts.ChannelCount, &input.ChannelCount},
                             std::pair{&texts.StartAddress, &input.StartAddress},
                             std::pair{&texts.RecordInterval, &input.RecordInterval},
                             std::pair{&texts.StartRegister, &input.StartRegister},
                             std::pair{&texts.TcpPort, &input.TcpPort}}) {
    const std::optional<std::int32_t> number = TryStrToInt(*text);
    if (!number) return std::nullopt;
    *field = *number;
  }
  for (auto [text, field] : {std::pair{&texts.LLA, &input.LLA}, std::pair{&texts.LA, &input.LA},
                             std::pair{&texts.HA, &input.HA}, std::pair{&texts.HHA, &input.HHA}}) {
    // A limit beyond float32's finite range would be stored as an infinity: no number either.
    const std::optional<long double> number = TryStrToFloat(*text);
    const std::optional<float> value = number ? FiniteFloat32(*number) : std::nullopt;
    if (!value) return std::nullopt;
    *field = *value;
  }
  input.CommCode = static_cast<std::uint8_t>(texts.CommCode);
  input.CommMode = static_cast<std::uint8_t>(texts.CommMode);
  input.ComIndex = static_cast<std::uint8_t>(texts.ComIndex);
  input.Decimals = static_cast<std::uint8_t>(texts.Decimals);
  input.MeterName = texts.MeterName;
  input.ChannelName = texts.ChannelName;
  input.IpAddress = texts.IpAddress;
  input.Unit = texts.Unit;
  return input;
}

const char* BatchAddRefusal(const std::optional<TBatchAddInput>& input,
                            std::int32_t existingMeters) {
  if (!input) return kNotANumber;
  // In 64 bits: a count near the int32 limit must not wrap below 120.
  if (std::int64_t{input->MeterCount} + existingMeters > kMaxMeters) return kTooManyMeters;
  if (input->ChannelCount > kMaxChannels) return kTooManyChannels;
  if (input->ChannelCount < 1) return kNoChannels;
  return nullptr;
}

void AppendBatchMeters(MeterTable& table, const TBatchAddInput& input) {
  for (int k = 0; k < input.MeterCount && MetersInUse(table) < kMaxMeters; ++k) {
    const int i = MetersInUse(table);
    TMeterRecord& meter = table.Meters[i];
    // Addresses above 255 wrap to 0.
    meter.SlaveAddress = static_cast<std::uint8_t>(static_cast<std::uint32_t>(input.StartAddress) +
                                                   static_cast<std::uint32_t>(k));
    meter.RecordInterval = input.RecordInterval;
    meter.CommCode = input.CommCode;
    meter.CommMode = input.CommMode;
    meter.StartRegister = static_cast<std::uint16_t>(input.StartRegister);
    meter.ComIndex = input.ComIndex;
    WriteNumberedName(meter.Name, input.MeterName, i + 1);
    WriteFixedText(meter.IpAddress, input.IpAddress);
    meter.TcpPort = input.TcpPort;
    meter.ChannelCount = static_cast<std::uint8_t>(input.ChannelCount);
    for (int j = 0; j < input.ChannelCount; ++j) {
      TChannelRecord& channel = meter.Channels[j];
      WriteNumberedName(channel.Name, input.ChannelName, j + 1);
      channel.LLA = input.LLA;
      channel.LA = input.LA;
      channel.HA = input.HA;
      channel.HHA = input.HHA;
      channel.Decimals = input.Decimals;
      channel.Colour = kBatchChannelColours[j % kBatchColourCount];
      WriteFixedText(channel.Unit, input.Unit);
    }
    table.MeterCount = i + 1;
  }
}
