#pragma once
// A main window in a temporary application directory (with a new Config.dat), not started: the
// fixture of the meter editor, channel editor and batch add suites, which press the editors'
// buttons as configuration mode allows.

#include <QComboBox>
#include <QPushButton>

#include <memory>
#include <string>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/parts/ConfigFile.h"
#include "station/app/MainForm.h"
#include "tests/platform/gui/GuiTestApp.h"
#include "tests/support/TestSupport.h"

class EditorTest : public GuiTest {
 protected:
  EditorTest() {
    SetAppDir(dir.Path());
    EXPECT_TRUE(CreateConfigFileIfMissing(ConfigPath()).ok());
    form = std::make_unique<Tfm_MainForm>();
    form->FillMeterList();
  }

  std::string ConfigPath() const { return dir.File("Config.dat"); }
  MeterTable& Table() { return form->Configuration().Table(); }
  TMeterRecord& Meter(int m) { return form->Configuration().Table().Meters[m]; }
  TStringGrid& MeterGrid() { return *form->strgGrid_MeterList; }
  TStringGrid& ChannelGrid() { return *form->strgGrid_MeterChannelList; }

  // Puts a meter with `channels` channels named "CH1", "CH2", ... into the table as loading
  // does (no editor involved), then refills the meter grid.
  TMeterRecord& PutMeter(const char* name, std::uint8_t address, int channels = 1,
                         std::uint8_t comIndex = 0) {
    TMeterRecord& meter = Table().Meters[Table().MeterCount++];
    meter.Clear();
    WriteFixedText(meter.Name, name);
    meter.SlaveAddress = address;
    meter.ComIndex = comIndex;
    meter.ChannelCount = static_cast<std::uint8_t>(channels);
    for (int c = 0; c < channels; ++c) {
      WriteFixedText(meter.Channels[c].Name, "CH" + std::to_string(c + 1));
    }
    form->FillMeterList();
    return meter;
  }

  // Selects a meter grid row as the operator's click does: the row selection runs once.
  void SelectMeterRow(int row) {
    if (MeterGrid().Row() == row) {
      form->strgGrid_MeterListClick();
    } else {
      MeterGrid().SetRow(row);
    }
  }

  std::string Cell(TStringGrid& grid, int col, int row) {
    return grid.Cells(col, row).toStdString();
  }

  TempDir dir;
  std::unique_ptr<Tfm_MainForm> form;
};
