#include "station/app/parts/MeterEdits.h"

#include <cstring>
#include <optional>

#include "common/FixedText.h"
#include "common/StrConv.h"

namespace {

constexpr int kCommModeNone = 255;  // no comm mode selected: polled over TCP
constexpr int kFirstChannelNumber = 1;

constexpr char kTooManyMeters[] = "最多只能添加120台设备!";
constexpr char kBadAddress[] = "请正确输入设备地址!";
constexpr char kBadInterval[] = "请正确输入记录间隔!";
constexpr char kBadStartRegister[] = "请正确输入通讯起始地址!";
constexpr char kBadTcpPort[] = "请正确输入通讯端口";
constexpr char kChannelsFull[] = "每台设备最多48通道!";
constexpr char kLastChannel[] = "通道不可删除, 每台设备至少要有一个通道!";

}  // namespace

TMeterEdits ConvertMeterEdits(const TMeterEditTexts& texts) {
  TMeterEdits edits;
  const struct {
    const std::string& text;
    TMeterField field;
    const char* error;
  } numbers[] = {
      {texts.Address, TMeterField::SlaveAddress, kBadAddress},
      {texts.RecordInterval, TMeterField::RecordInterval, kBadInterval},
      {texts.StartRegister, TMeterField::StartRegister, kBadStartRegister},
      {texts.TcpPort, TMeterField::TcpPort, kBadTcpPort},
  };
  for (const auto& number : numbers) {
    const std::optional<std::int32_t> value = TryStrToInt(number.text);
    if (!value) {
      edits.Error = number.error;
      return edits;
    }
    edits.Fields.push_back({number.field, *value});
  }
  if (texts.CommCode >= 0) edits.Fields.push_back({TMeterField::CommCode, texts.CommCode});
  edits.Fields.push_back(
      {TMeterField::CommMode, texts.CommMode < 0 ? kCommModeNone : texts.CommMode});
  if (texts.ComIndex >= 0) edits.Fields.push_back({TMeterField::ComIndex, texts.ComIndex});
  if (texts.ComIndex >= 0 && texts.ComIndex < kComPortCount && texts.BaudIndex >= 0) {
    edits.Fields.push_back({TMeterField::PortBaud, texts.BaudIndex, texts.ComIndex});
  }
  edits.Fields.push_back({TMeterField::IpAddress, 0, 0, texts.IpAddress});
  edits.Fields.push_back({TMeterField::Name, 0, 0, texts.Name});
  return edits;
}

void ApplyMeterField(const TMeterFieldValue& value, TMeterRecord& meter,
                     PortBaudIndexTable& bauds) {
  switch (value.Field) {
    case TMeterField::SlaveAddress:
      meter.SlaveAddress = static_cast<std::uint8_t>(value.Number);
      break;
    case TMeterField::RecordInterval:
      meter.RecordInterval = value.Number;
      break;
    case TMeterField::StartRegister:
      meter.StartRegister = static_cast<std::uint16_t>(value.Number);
      break;
    case TMeterField::TcpPort:
      meter.TcpPort = value.Number;
      break;
    case TMeterField::CommCode:
      meter.CommCode = static_cast<std::uint8_t>(value.Number);
      break;
    case TMeterField::CommMode:
      meter.CommMode = static_cast<std::uint8_t>(value.Number);
      break;
    case TMeterField::ComIndex:
      meter.ComIndex = static_cast<std::uint8_t>(value.Number);
      break;
    case TMeterField::PortBaud:
      TakePortBaud(bauds, value.Port, value.Number);
      break;
    case TMeterField::IpAddress:
      WriteFixedText(meter.IpAddress, value.Text);
      break;
    case TMeterField::Name:
      WriteFixedText(meter.Name, value.Text);
      break;
  }
}

const char* MeterAddRefusal(const MeterTable& table) {
  return MetersInUse(table) >= kMaxMeters ? kTooManyMeters : nullptr;
}

void StartNewMeter(TMeterRecord& meter) {
  meter.ChannelCount = 1;
  TChannelRecord& channel = meter.Channels[0];
  WriteFixedText(channel.Name, "CH" + std::to_string(kFirstChannelNumber));
  channel.LLA = channel.LA = channel.HA = channel.HHA = 0.0f;
}

void DeleteMeter(MeterTable& table, int m) {
  const int count = MetersInUse(table);
  for (int j = m; j < count - 1; ++j) table.Meters[j] = table.Meters[j + 1];
  table.MeterCount = count - 1;
}

void TakePortBaud(PortBaudIndexTable& bauds, int comIndex, int baudIndex) {
  if (comIndex < 0 || comIndex >= kComPortCount || baudIndex < 0) return;
  bauds[comIndex] = baudIndex;
}

int PortBaudOf(const PortBaudIndexTable& bauds, int comIndex) {
  return comIndex >= 0 && comIndex < kComPortCount ? bauds[comIndex] : -1;
}

namespace {

// The fields in front of the first bad number are taken before it is reported.
void TakeMeterEdits(MeterTable& table, int m, const TMeterEditTexts& texts,
                    const InputErrorReport& report) {
  const TMeterEdits edits = ConvertMeterEdits(texts);
  for (const TMeterFieldValue& field : edits.Fields) {
    ApplyMeterField(field, table.Meters[m], table.PortBaudIndex);
  }
  if (edits.Error != nullptr) report(edits.Error);
}

}  // namespace

bool AddMeter(MeterTable& table, const TMeterEditTexts& texts, const InputErrorReport& report) {
  if (const char* refusal = MeterAddRefusal(table)) {
    report(refusal);
    return false;
  }
  const int count = MetersInUse(table);
  // The meter is added whatever the read reported.
  TakeMeterEdits(table, count, texts, report);
  StartNewMeter(table.Meters[count]);
  table.MeterCount = count + 1;
  return true;
}

void ModifyMeter(MeterTable& table, int m, const TMeterEditTexts& texts,
                 const InputErrorReport& report) {
  TakeMeterEdits(table, m, texts, report);
  // The baud rate belongs to the meter's port as it stands after the read.
  TakePortBaud(table.PortBaudIndex, table.Meters[m].ComIndex, texts.BaudIndex);
}

TChannelEdits ConvertChannelEdits(const TChannelEditTexts& texts) {
  TChannelEdits edits;
  edits.Fields.push_back({TChannelField::Name, 0, 0.0f, texts.Name});
  if (texts.Decimals >= 0) edits.Fields.push_back({TChannelField::Decimals, texts.Decimals});
  const struct {
    const std::string& text;
    TChannelField field;
  } limits[] = {{texts.LLA, TChannelField::LLA},
                {texts.LA, TChannelField::LA},
                {texts.HA, TChannelField::HA},
                {texts.HHA, TChannelField::HHA}};
  for (const auto& limit : limits) {
    // Extended precision, stored as the nearest float32.
    const std::optional<long double> number = TryStrToFloat(limit.text);
    const std::optional<float> value = number ? FiniteFloat32(*number) : std::nullopt;
    if (!value) {
      edits.Error = NotAFloatText(limit.text);
      edits.OutOfRange = number.has_value();
      return edits;
    }
    edits.Fields.push_back({limit.field, 0, *value});
  }
  edits.Fields.push_back({TChannelField::Unit, 0, 0.0f, texts.Unit});
  edits.Fields.push_back({TChannelField::Colour, texts.Colour});
  return edits;
}

void ApplyChannelField(const TChannelFieldValue& value, TChannelRecord& channel) {
  switch (value.Field) {
    case TChannelField::Name:
      WriteFixedText(channel.Name, value.Text);
      break;
    case TChannelField::Decimals:
      channel.Decimals = static_cast<std::uint8_t>(value.Number);
      break;
    case TChannelField::LLA:
      channel.LLA = value.Limit;
      break;
    case TChannelField::LA:
      channel.LA = value.Limit;
      break;
    case TChannelField::HA:
      channel.HA = value.Limit;
      break;
    case TChannelField::HHA:
      channel.HHA = value.Limit;
      break;
    case TChannelField::Unit:
      WriteFixedText(channel.Unit, value.Text);
      break;
    case TChannelField::Colour:
      channel.Colour = value.Number;
      break;
  }
}

TChannelEdits TakeChannelEdits(TChannelRecord& channel, const TChannelEditTexts& texts) {
  TChannelEdits edits = ConvertChannelEdits(texts);
  // Each field is stored as soon as it converts.
  for (const TChannelFieldValue& field : edits.Fields) ApplyChannelField(field, channel);
  return edits;
}

TChannelAdd AddChannel(TMeterRecord& meter, const TChannelEditTexts& texts) {
  TChannelAdd add;
  add.Refusal = ChannelAddRefusal(meter);
  if (add.Refusal != nullptr) return add;
  const int count = ChannelsInUse(meter);
  add.Edits = TakeChannelEdits(meter.Channels[count], texts);
  if (add.Edits.Error.empty()) meter.ChannelCount = static_cast<std::uint8_t>(count + 1);
  return add;
}

const char* ChannelAddRefusal(const TMeterRecord& meter) {
  return ChannelsInUse(meter) >= kMaxChannels ? kChannelsFull : nullptr;
}

const char* ChannelDeleteRefusal(const TMeterRecord& meter, int c) {
  const int count = ChannelsInUse(meter);
  return count <= 1 || c < 0 || c >= count ? kLastChannel : nullptr;
}

void DeleteChannel(TMeterRecord& meter, int c) {
  const int count = ChannelsInUse(meter);
  std::memmove(&meter.Channels[c], &meter.Channels[c + 1],
               sizeof(TChannelRecord) * static_cast<std::size_t>(count - 1 - c));
  meter.ChannelCount = static_cast<std::uint8_t>(count - 1);
}
