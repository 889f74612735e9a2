// The channel editor: the channel grid of the selected meter, Add, Delete, Modify, Save and the
// drawing of the colour column.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstddef>
#include <memory>
#include <string>

#include "tests/app/MeterEditorFixture.h"

namespace {

const QString kCaption = QString::fromUtf8("错误");
const QString kChannelsFull = kCaption + QString::fromUtf8("|每台设备最多48通道!");
const QString kLastChannel = kCaption + QString::fromUtf8("|通道不可删除, 每台设备至少要有一个通道!");

class ChannelEditorTest : public EditorTest {
 protected:
  // One meter with `channels` channels, selected; channel row 1 selected.
  TMeterRecord& SelectedMeter(int channels) {
    TMeterRecord& meter = PutMeter("meter", 1, channels);
    SelectMeterRow(1);
    return meter;
  }
  void TypeChannel(const char* name, int decimals, const char* unit, TColor colour,
                   const char* lla, const char* la, const char* ha, const char* hha) {
    form->ed_ChannelName->setText(name);
    SetComboItemIndex(*form->cboBox_ChannelPoin, decimals);
    form->ed_ChannelUnit->setText(QString::fromUtf8(unit));
    form->colorBox_ChannelColor->SetSelected(colour);
    form->ed_ChannelLLA->setText(lla);
    form->ed_ChannelLA->setText(la);
    form->ed_ChannelHA->setText(ha);
    form->ed_ChannelHHA->setText(hha);
  }
  std::string ChannelName(const TMeterRecord& meter, int c) {
    return ReadFixedText(meter.Channels[c].Name);
  }
};

TEST_F(ChannelEditorTest, AddAppendsBehindTheLastChannelAndShowsItAsStored) {
  TMeterRecord& meter = SelectedMeter(2);
  TypeChannel("flow", 2, "℃", clTeal, "-1.5", "0", "123456", "1.234567");
  form->btn_ChannelAdd->click();

  ASSERT_EQ(meter.ChannelCount, 3);
  const TChannelRecord& added = meter.Channels[2];
  EXPECT_EQ(FieldValue(added.Colour), clTeal);
  EXPECT_EQ(FieldValue(added.HHA), 1.234567f);
  ASSERT_EQ(ChannelGrid().RowCount(), 5);
  EXPECT_EQ(ChannelGrid().Row(), 3);
  const char* const row[] = {"3", "flow", "2", "℃", "C", "-1.5", "0", "1.2346E005", "1.2346"};
  for (int col = 0; col < 9; ++col) EXPECT_EQ(Cell(ChannelGrid(), col, 3), row[col]) << col;
  // The edit fields show the limits as the grid does, not as typed.
  EXPECT_EQ(form->ed_ChannelHHA->text(), "1.2346");
}

TEST_F(ChannelEditorTest, AFullMeterRefusesAnotherChannel) {
  TMeterRecord& meter = SelectedMeter(kMaxChannels);
  form->btn_ChannelAdd->click();
  EXPECT_EQ(messageBoxes, QStringList{kChannelsFull});
  EXPECT_EQ(meter.ChannelCount, kMaxChannels);
  EXPECT_EQ(ChannelGrid().RowCount(), kMaxChannels + 2);
}

TEST_F(ChannelEditorTest, DeleteIsRefusedForTheOnlyChannelAndOnTheEmptyRow) {
  TMeterRecord& single = SelectedMeter(1);
  form->btn_ChannelDel->click();
  EXPECT_EQ(single.ChannelCount, 1);

  Table().MeterCount = 0;
  TMeterRecord& three = SelectedMeter(3);
  ChannelGrid().SetRow(4);  // the empty row
  form->btn_ChannelDel->click();
  EXPECT_EQ(three.ChannelCount, 3);
  EXPECT_EQ(messageBoxes, (QStringList{kLastChannel, kLastChannel}));
}

TEST_F(ChannelEditorTest, DeleteMovesTheFollowingChannelsUpButNotTheValues) {
  TMeterRecord& meter = SelectedMeter(3);
  meter.Values[0] = 1.0f;
  meter.Values[1] = 2.0f;
  form->btn_ChannelDel->click();  // channel row 1
  ASSERT_EQ(meter.ChannelCount, 2);
  EXPECT_EQ(ChannelName(meter, 0), "CH2");
  EXPECT_EQ(ChannelName(meter, 1), "CH3");
  EXPECT_EQ(meter.Value(0), 1.0f);
  EXPECT_EQ(meter.Value(1), 2.0f);
  EXPECT_EQ(ChannelGrid().RowCount(), 4);
  EXPECT_EQ(ChannelGrid().Row(), 1);
}

// Where channel c of meter m lies in Config.dat, and a record's bytes as they lie there.
std::size_t ChannelOffset(int m, int c) {
  return kFirstMeterBlockOffset + kMeterBlockSize * m + offsetof(TMeterStored, Channels) +
         sizeof(TChannelRecord) * c;
}
std::string BytesOf(const TChannelRecord& channel) {
  return std::string(reinterpret_cast<const char*>(&channel), sizeof channel);
}

TEST_F(ChannelEditorTest, DeleteShowsTheChannelThatMovedUpSoModifyKeepsIt) {
  TMeterRecord& meter = SelectedMeter(3);
  for (int c = 0; c < 3; ++c) {
    TChannelRecord& channel = meter.Channels[c];
    channel.Decimals = static_cast<std::uint8_t>(c + 1);
    channel.Colour = c == 1 ? clTeal : clRed;
    channel.LLA = -1.5f * (c + 1);
    channel.LA = 0.25f * (c + 1);
    channel.HA = 300.0f * (c + 1);
    channel.HHA = 1000.0f * (c + 1);
    WriteFixedText(channel.Unit, "u" + std::to_string(c + 1));
  }
  SelectMeterRow(1);  // channel row 1, A, in the edits
  const TChannelRecord b = meter.Channels[1];
  const TChannelRecord c = meter.Channels[2];
  form->btn_ChannelDel->click();
  EXPECT_EQ(form->ed_ChannelName->text(), "CH2");
  EXPECT_EQ(form->ed_ChannelLLA->text(), "-3");
  EXPECT_EQ(form->ed_ChannelUnit->text(), "u2");
  form->btn_ChannelModify->click();
  form->btn_ChannelSave->click();
  const std::string file = ReadFileBytes(ConfigPath());
  EXPECT_EQ(file.substr(ChannelOffset(0, 0), sizeof b), BytesOf(b));
  EXPECT_EQ(file.substr(ChannelOffset(0, 1), sizeof c), BytesOf(c));

  // Deleting the last channel leaves the empty row and nothing in the edits to take.
  ChannelGrid().SetRow(2);
  form->btn_ChannelDel->click();
  EXPECT_EQ(ChannelGrid().Row(), 2);
  for (const TCp936Edit* edit : {form->ed_ChannelName, form->ed_ChannelUnit, form->ed_ChannelLLA,
                                 form->ed_ChannelLA, form->ed_ChannelHA, form->ed_ChannelHHA}) {
    EXPECT_EQ(edit->text(), "") << edit->objectName().toStdString();
  }
  form->btn_ChannelModify->click();
  EXPECT_EQ(meter.ChannelCount, 1);
  EXPECT_EQ(BytesOf(meter.Channels[0]), BytesOf(b));
  EXPECT_TRUE(messageBoxes.isEmpty() && errorBoxes.isEmpty());
}

TEST_F(ChannelEditorTest, ALimitBeyondFloat32IsAnInputErrorInTheConversionsOrder) {
  TMeterRecord& meter = SelectedMeter(1);
  meter.Channels[0].Colour = clRed;
  WriteFixedText(meter.Channels[0].Unit, "old");
  TypeChannel("new", 2, "bar", clBlue, "1e39", "2", "3", "4");
  form->btn_ChannelModify->click();
  EXPECT_EQ(messageBoxes, QStringList{kCaption + "|'1e39' is not a valid floating point value"});
  EXPECT_TRUE(errorBoxes.isEmpty());
  // Name and decimals were taken, the limits, unit and colour were not; no refill.
  EXPECT_EQ(ChannelName(meter, 0), "new");
  EXPECT_EQ(meter.Channels[0].Decimals, 2);
  EXPECT_EQ(FieldValue(meter.Channels[0].LLA), 0.0f);
  EXPECT_EQ(FieldValue(meter.Channels[0].LA), 0.0f);
  EXPECT_EQ(ReadFixedText(meter.Channels[0].Unit), "old");
  EXPECT_EQ(FieldValue(meter.Channels[0].Colour), clRed);
  EXPECT_EQ(Cell(ChannelGrid(), 1, 1), "CH1");

  // The last limit refused: the three before it were taken into the new slot; none is added.
  TypeChannel("added", 1, "bar", clBlue, "-5", "-4", "40", "-1e40");
  form->btn_ChannelAdd->click();
  ASSERT_EQ(messageBoxes.size(), 2);
  EXPECT_EQ(messageBoxes.last(), kCaption + "|'-1e40' is not a valid floating point value");
  EXPECT_EQ(meter.ChannelCount, 1);
  EXPECT_EQ(FieldValue(meter.Channels[1].HA), 40.0f);
  EXPECT_EQ(FieldValue(meter.Channels[1].HHA), 0.0f);
  EXPECT_EQ(ChannelGrid().RowCount(), 3);
}

TEST_F(ChannelEditorTest, ALimitThatIsNoNumberEndsTheHandlerWithTheConversionError) {
  TMeterRecord& meter = SelectedMeter(1);
  meter.Channels[1].Colour = clRed;
  WriteFixedText(meter.Channels[1].Unit, "old");
  TypeChannel("new", 3, "bar", clBlue, "1", "2", "abc", "4");
  form->btn_ChannelAdd->click();
  EXPECT_EQ(errorBoxes, QStringList{"'abc' is not a valid floating point value"});
  EXPECT_EQ(meter.ChannelCount, 1);
  EXPECT_EQ(ChannelGrid().RowCount(), 3);
  // The fields before the bad limit were taken; unit and colour were not.
  EXPECT_EQ(ChannelName(meter, 1), "new");
  EXPECT_EQ(meter.Channels[1].Decimals, 3);
  EXPECT_EQ(FieldValue(meter.Channels[1].LA), 2.0f);
  EXPECT_EQ(ReadFixedText(meter.Channels[1].Unit), "old");
  EXPECT_EQ(FieldValue(meter.Channels[1].Colour), clRed);

  // Modify likewise keeps the partial change.
  form->btn_ChannelModify->click();
  EXPECT_EQ(errorBoxes.size(), 2);
  EXPECT_EQ(ChannelName(meter, 0), "new");
  EXPECT_EQ(FieldValue(meter.Channels[0].Colour), 0);
}

TEST_F(ChannelEditorTest, ModifyRewritesTheSelectedChannelOnlyAndNothingOnTheEmptyRow) {
  TMeterRecord& meter = SelectedMeter(3);
  ChannelGrid().SetRow(2);
  TypeChannel("temp", 1, "℃", clLime, "0", "5", "80", "90");
  form->btn_ChannelModify->click();
  EXPECT_EQ(ChannelName(meter, 1), "temp");
  EXPECT_EQ(FieldValue(meter.Channels[1].HA), 80.0f);
  EXPECT_EQ(ChannelName(meter, 0), "CH1");
  EXPECT_EQ(ChannelGrid().Row(), 2);
  EXPECT_EQ(Cell(ChannelGrid(), 1, 2), "temp");

  ChannelGrid().SetRow(4);
  TypeChannel("ignored", 0, "", clBlack, "0", "0", "0", "0");
  form->btn_ChannelModify->click();
  EXPECT_EQ(meter.ChannelCount, 3);
  EXPECT_EQ(ChannelName(meter, 2), "CH3");
  EXPECT_TRUE(messageBoxes.isEmpty());
}

TEST_F(ChannelEditorTest, WithoutASelectedMeterTheButtonsDoNothing) {
  TMeterRecord& meter = SelectedMeter(2);
  SelectMeterRow(2);  // the meter grid's empty row
  form->btn_ChannelAdd->click();
  form->btn_ChannelDel->click();
  form->btn_ChannelModify->click();
  EXPECT_EQ(meter.ChannelCount, 2);
  EXPECT_EQ(Table().Meters[1].ChannelCount, 0);
  EXPECT_TRUE(messageBoxes.isEmpty());
  form->btn_ChannelSave->click();  // still writes the whole table: a meter count of 1
  EXPECT_EQ(ReadFileBytes(ConfigPath()).substr(0, 4), std::string("\x01\0\0\0", 4));
}

TEST_F(ChannelEditorTest, OnlySaveReachesConfigDat) {
  TMeterRecord& meter = SelectedMeter(2);
  form->btn_ChannelSave->click();
  const std::string saved = ReadFileBytes(ConfigPath());

  TypeChannel("added", 1, "bar", clRed, "1", "2", "3", "4");
  form->btn_ChannelAdd->click();
  ChannelGrid().SetRow(1);
  form->btn_ChannelModify->click();
  form->btn_ChannelDel->click();
  ASSERT_EQ(meter.ChannelCount, 2);
  ASSERT_EQ(ChannelName(meter, 0), "CH2");
  EXPECT_EQ(ReadFileBytes(ConfigPath()), saved);

  // What a restart loads: the channels as they were at the last Save.
  auto loaded = std::make_unique<MeterTable>();
  EXPECT_EQ(LoadMeterTable(ConfigPath(), *loaded), "");
  ASSERT_EQ(loaded->MeterCount, 1);
  EXPECT_EQ(loaded->Meters[0].ChannelCount, 2);
  EXPECT_EQ(ReadFixedText(loaded->Meters[0].Channels[0].Name), "CH1");
  EXPECT_EQ(ReadFixedText(loaded->Meters[0].Channels[1].Name), "CH2");
}

TEST_F(ChannelEditorTest, ADamagedDecimalsValueIsNeverReplacedBy255) {
  TMeterRecord& meter = SelectedMeter(1);
  meter.Channels[0].Decimals = 9;
  form->strgGrid_MeterChannelListClick();
  EXPECT_EQ(ComboItemIndex(*form->cboBox_ChannelPoin), -1);
  form->btn_ChannelModify->click();
  EXPECT_EQ(meter.Channels[0].Decimals, 9);
}

// Paints one cell of the channel grid into an image whose painter carries the selection colour,
// as the grid's own painting would for a selected cell.
QImage PaintChannelCell(Tfm_MainForm& form, int col, int row) {
  QImage image(60, 20, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  QPainter painter(&image);
  painter.setBrush(Qt::darkBlue);
  painter.setPen(Qt::yellow);
  form.strgGrid_MeterChannelListDrawCell(col, row, image.rect(), painter, {true, true, false});
  return image;
}

// Text drawn in black leaves some dark pixels, whatever the font's smoothing.
bool HasDarkPixel(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 60) return true;
    }
  }
  return false;
}

TEST_F(ChannelEditorTest, ColourColumnShowsABlackCOnTheChannelColour) {
  TMeterRecord& meter = SelectedMeter(2);
  meter.Channels[0].Colour = clRed;
  meter.Channels[1].Colour = clYellow;

  const QImage colour = PaintChannelCell(*form, 4, 2);
  EXPECT_EQ(colour.pixelColor(1, 1), ToQColor(clYellow));
  EXPECT_EQ(colour.pixelColor(58, 18), ToQColor(clYellow));
  EXPECT_TRUE(HasDarkPixel(colour));
  EXPECT_EQ(PaintChannelCell(*form, 4, 1).pixelColor(1, 1), ToQColor(clRed));
  EXPECT_EQ(PaintChannelCell(*form, 4, 0).pixelColor(1, 1), ToQColor(clBtnFace));
  for (auto [col, row] : {std::pair{1, 1}, std::pair{4, 3}, std::pair{0, 2}}) {
    const QImage white = PaintChannelCell(*form, col, row);
    EXPECT_EQ(white.pixelColor(1, 1), ToQColor(clWhite)) << col << "," << row;
    EXPECT_EQ(white.pixelColor(58, 18), ToQColor(clWhite)) << col << "," << row;
  }
  EXPECT_TRUE(HasDarkPixel(PaintChannelCell(*form, 1, 1)));  // "CH1" in black, not the pen given
  // Without a selected meter the colour column is white too.
  SelectMeterRow(2);
  EXPECT_EQ(PaintChannelCell(*form, 4, 1).pixelColor(1, 1), ToQColor(clWhite));
}

}  // namespace
