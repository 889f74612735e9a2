// The channel editor: the channel grid of the selected meter, its row selection and drawing, the
// channel edit fields and the Add, Delete, Modify and Save buttons.

#include <QComboBox>
#include <QPainter>

#include <algorithm>
#include <array>

#include "common/Errors.h"
#include "common/FixedText.h"
#include "common/ValueText.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/DialogControls.h"
#include "station/app/MainForm.h"
#include "station/app/parts/MeterEdits.h"

namespace {

constexpr int kChannelColumns = 9;
const char* const kChannelGridHeaders[kChannelColumns] = {
    "Channel No.", "Channel Name", "Decimal",  "Unit",     "Color",
    "LLA Value",   "LA Value",     "HA Value", "HHA Value"};
constexpr int kNumberColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kDecimalsColumn = 2;
constexpr int kUnitColumn = 3;
constexpr int kColourColumn = 4;
constexpr int kFirstLimitColumn = 5;  // LLA, LA, HA, HHA in columns 5 to 8
constexpr int kLimitCount = 4;
// Exponent digits of the limits' general format.
constexpr int kLimitDigits = 3;

// The four limits of a channel, LLA, LA, HA, HHA.
std::array<float, kLimitCount> LimitValues(const TChannelRecord& channel) {
  return {channel.LLA, channel.LA, channel.HA, channel.HHA};
}

// The edit fields as the channel editor's rules take them.
TChannelEditTexts ChannelEditTextsOf(const Tfm_MainForm& f) {
  TChannelEditTexts texts;
  texts.Name = f.ed_ChannelName->text().toStdString();
  texts.Decimals = ComboItemIndex(*f.cboBox_ChannelPoin);
  texts.LLA = f.ed_ChannelLLA->text().toStdString();
  texts.LA = f.ed_ChannelLA->text().toStdString();
  texts.HA = f.ed_ChannelHA->text().toStdString();
  texts.HHA = f.ed_ChannelHHA->text().toStdString();
  texts.Unit = f.ed_ChannelUnit->text().toStdString();
  texts.Colour = f.colorBox_ChannelColor->Selected();
  return texts;
}

// Whether every channel field was taken. A limit that is not a number ends the handler with the
// runtime's conversion error (raised here), one beyond float32 with an input error (false).
bool AllTaken(const TChannelEdits& edits) {
  if (edits.Error.empty()) return true;
  if (!edits.OutOfRange) throw EConvertError(edits.Error);
  ShowInputError(edits.Error.c_str());
  return false;
}

}  // namespace

int Tfm_MainForm::SelectedChannel() const {
  const int m = SelectedMeter();
  if (m < 0) return -1;
  const int c = strgGrid_MeterChannelList->Row() - 1;
  const int shownChannels = strgGrid_MeterChannelList->RowCount() - 2;
  if (c < 0 || c >= shownChannels || c >= ChannelsInUse(Table().Meters[m])) return -1;
  return c;
}

void Tfm_MainForm::FillChannelList(int m) {
  TStringGrid& grid = *strgGrid_MeterChannelList;
  for (int col = 0; col < kChannelColumns; ++col) {
    grid.SetCells(col, 0, QString::fromUtf8(kChannelGridHeaders[col]));
  }
  grid.SetRowCount(2);
  const TMeterRecord& meter = Table().Meters[m];
  for (int c = 0; c < ChannelsInUse(meter); ++c) {
    const TChannelRecord& channel = meter.Channels[c];
    const int row = c + 1;
    grid.SetCells(kNumberColumn, row, QString::number(c + 1));
    grid.SetCells(kNameColumn, row, QString::fromStdString(ReadFixedText(channel.Name)));
    grid.SetCells(kDecimalsColumn, row, QString::number(channel.Decimals));
    grid.SetCells(kUnitColumn, row, QString::fromStdString(ReadFixedText(channel.Unit)));
    grid.SetCells(kColourColumn, row, QStringLiteral("C"));
    const std::array<float, kLimitCount> limits = LimitValues(channel);
    for (int i = 0; i < kLimitCount; ++i) {
      grid.SetCells(kFirstLimitColumn + i, row,
                    QString::fromStdString(ValueText(limits[i], kLimitDigits)));
    }
    grid.SetRowCount(grid.RowCount() + 1);
  }
  for (int col = 0; col < kChannelColumns; ++col) grid.SetCells(col, grid.RowCount() - 1, {});
}

void Tfm_MainForm::strgGrid_MeterChannelListClick() {
  const int c = SelectedChannel();
  if (c < 0) return;
  const TChannelRecord& channel = Table().Meters[SelectedMeter()].Channels[c];
  const TStringGrid& grid = *strgGrid_MeterChannelList;
  const int row = c + 1;
  ed_ChannelName->setText(grid.Cells(kNameColumn, row));
  SetComboItemIndex(*cboBox_ChannelPoin, channel.Decimals);
  ed_ChannelUnit->setText(grid.Cells(kUnitColumn, row));
  colorBox_ChannelColor->SetSelected(channel.Colour);
  TCp936Edit* const limitEdits[kLimitCount] = {ed_ChannelLLA, ed_ChannelLA, ed_ChannelHA,
                                               ed_ChannelHHA};
  for (int i = 0; i < kLimitCount; ++i) {
    limitEdits[i]->setText(grid.Cells(kFirstLimitColumn + i, row));
  }
}

void Tfm_MainForm::strgGrid_MeterChannelListDrawCell(int col, int row, const QRect& rect,
                                                     QPainter& painter, const TGridDrawState&) {
  TColor brush = clWhite;
  const int m = SelectedMeter();
  if (row == 0) {
    brush = clBtnFace;
  } else if (col == kColourColumn && m >= 0 && row <= ChannelsInUse(Table().Meters[m])) {
    brush = Table().Meters[m].Channels[row - 1].Colour;
  }
  painter.fillRect(rect, ToQColor(brush));
  painter.setPen(ToQColor(clBlack));
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                   strgGrid_MeterChannelList->Cells(col, row));
}

void Tfm_MainForm::ClearChannelEdits() {
  for (TCp936Edit* edit : {ed_ChannelName, ed_ChannelUnit, ed_ChannelLLA, ed_ChannelLA,
                           ed_ChannelHA, ed_ChannelHHA}) {
    edit->clear();
  }
}

void Tfm_MainForm::btn_ChannelAddClick() {
  const int m = SelectedMeter();
  if (m < 0) return;
  TMeterRecord& meter = Table().Meters[m];
  const TChannelAdd add = AddChannel(meter, ChannelEditTextsOf(*this));
  if (add.Refusal != nullptr) {
    ShowInputError(add.Refusal);
    return;
  }
  // A limit that is not taken ends the handler here: no channel is added.
  if (!AllTaken(add.Edits)) return;
  FillChannelList(m);
  strgGrid_MeterChannelList->SetRow(ChannelsInUse(meter));
  strgGrid_MeterChannelListClick();
}

void Tfm_MainForm::btn_ChannelDelClick() {
  const int m = SelectedMeter();
  if (m < 0) return;
  const int c = SelectedChannel();
  if (const char* refusal = ChannelDeleteRefusal(Table().Meters[m], c)) {
    ShowInputError(refusal);
    return;
  }
  // Only the stored channel records move; the meter's values and alarm flags stay in place.
  DeleteChannel(Table().Meters[m], c);
  FillChannelList(m);
  // The edits follow the row: they show the channel that moved up into it (else the next
  // Modify would write the deleted channel over it), or nothing when the empty row is left.
  // The refill has selected row 1 without running the row selection.
  const bool moves = strgGrid_MeterChannelList->Row() != c + 1;
  strgGrid_MeterChannelList->SetRow(c + 1);
  if (!moves) strgGrid_MeterChannelListClick();
  if (SelectedChannel() < 0) ClearChannelEdits();
}

void Tfm_MainForm::btn_ChannelModifyClick() {
  const int m = SelectedMeter();
  if (m < 0) return;
  const int row = strgGrid_MeterChannelList->Row();
  const int c = SelectedChannel();
  // A limit that is not taken leaves the partial change and the grid as they are.
  if (c >= 0 &&
      !AllTaken(TakeChannelEdits(Table().Meters[m].Channels[c], ChannelEditTextsOf(*this)))) {
    return;
  }
  FillChannelList(m);
  // The grid may have shown another meter's longer list (a meter row that changed under an
  // unchanged selection): the selection stays within the rows the refill left.
  strgGrid_MeterChannelList->SetRow(std::min(row, strgGrid_MeterChannelList->RowCount() - 1));
}

void Tfm_MainForm::btn_ChannelSaveClick() { RaiseOnFailure(config_.SaveMeterTable()); }
