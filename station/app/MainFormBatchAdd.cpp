// The batch add: the dialog, then the new meters behind the existing ones in the meter table.

#include <QLabel>
#include <QPushButton>

#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "common/FixedText.h"
#include "platform/gui/Captions.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"
#include "station/app/MeterBatchAddForm.h"

namespace {

// Colour of channel j of every new meter: entry j mod 16.
constexpr TColor kBatchChannelColours[] = {
    clBlue, clRed,   clLime,   clGreen, clWhite,  clYellow, clFuchsia, clSkyBlue,
    clTeal, clOlive, clPurple, clAqua,  0xC0DCC0, clMaroon, 0x00A5FF,  0xC1B6FF,
    // 12: money green, 14: orange, 15: light pink
};
constexpr int kBatchColourCount = static_cast<int>(std::size(kBatchChannelColours));

void SetBatchAddTexts(Tfm_MeterBatchAddForm& d) {
  d.setWindowTitle(QStringLiteral("Configuration in Bulk"));
  const std::pair<QWidget*, const char*> texts[] = {
      {d.lab_MeterAddCount, "Slaves Numbers"},   {d.lab_MeterName, "Slave Name"},
      {d.lab_MeterStartAddr, "Start Address"},   {d.lab_MeterPreRecordTime, "Rec-Interval"},
      {d.lab_MeterCommStyle, "Comm. Code"},      {d.lab_CommStartReg, "Start Register"},
      {d.lab_MeterChCount, "Channel Numbers"},   {d.lab_ChName, "Channel Name"},
      {d.lab_CommMod, "Comm. Mode"},             {d.lab_MeterCommSerial, "Serial No. "},
      {d.lab_MeterIPAddr, "Slave IP Address"},   {d.lab_Port, "Port"},
      {d.lab_ChannelLLA, "LLA Value"},           {d.lab_ChannelLA, "LA Value"},
      {d.lab_ChannelHA, "HA Value"},             {d.lab_ChannelHHA, "HHA Value"},
      {d.lab_ChannelPoin, "Decimal"},            {d.lab_ChannelUnit, "Unit"},
      {d.bt_Ok, "OK"},                           {d.bt_Cancel, "Cancel"},
  };
  for (const auto& [control, text] : texts) SetControlText(*control, QString::fromUtf8(text));
}

// `base` followed by the decimal number, as the record field takes it (cut to its width).
template <std::size_t N>
void WriteNumberedName(char (&field)[N], const std::string& base, int number) {
  WriteFixedText(field, base + std::to_string(number));
}

}  // namespace

void Tfm_MainForm::btn_MeterBatchAddClick() {
  Tfm_MeterBatchAddForm dialog;
  dialog.ExistingMeterCount = MetersInUse(Table());
  SetBatchAddTexts(dialog);
  if (RunModal(dialog) != mrOk) return;
  const std::optional<TBatchAddInput> input = dialog.AcceptedInput();
  if (!input) return;
  AppendBatchMeters(*input);
  FillMeterList();
  if (Table().MeterCount == 0) return;
  strgGrid_MeterList->SetRow(Table().MeterCount);
  strgGrid_MeterListClick();
}

// The input is one the dialog accepted: 1..48 channels; the table's 120 records bound the meters.
void Tfm_MainForm::AppendBatchMeters(const TBatchAddInput& input) {
  for (int k = 0; k < input.MeterCount && MetersInUse(Table()) < kMaxMeters; ++k) {
    const int i = MetersInUse(Table());
    TMeterRecord& meter = Table().Meters[i];
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
    Table().MeterCount = i + 1;
  }
}
