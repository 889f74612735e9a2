// The set-value panel of a started station against scripted meters on a pty linked as COM1,
// answered by the port's running serial polling thread.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <vector>

#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/comm/SetValueRequest.h"
#include "tests/app/StartupFixture.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

// Fast sleeps shorten the poll pauses and the panel's bound alike: the bound is 400 checks of
// 50 ms, each at least 1 ms for real. With a divisor of 10 (pauses of 200 ms, a bound of 2 s) a
// meter that answers does so well within the bound, even in a loaded sanitizer run. With 100
// (pauses of 20 ms, a bound of about half a second) the bound is far shorter than one poll of 48
// channels of a meter that does not answer (3 attempts of 20 ms plus a 383 ms time-out each).
constexpr int kAnsweringDivisor = 10;
constexpr int kBoundDivisor = 100;
constexpr std::uint8_t kSilentAddress = 9;
const Frame kSetValueReadFrame{0x01, 0x03, 0x00, 0x1F, 0x00, 0x01, 0xB5, 0xCC};

struct PanelMeter {
  std::uint8_t address;
  std::uint8_t decimals;
  std::uint8_t comIndex = 0;
  std::uint8_t commMode = 0;
  std::uint8_t channels = 2;
};

class SetValueTest : public StationDirTest {
 protected:
  explicit SetValueTest(int sleepDivisor = kAnsweringDivisor) : fastSleep(sleepDivisor) {
    SetValueRequest.WithdrawPending();
  }
  // Polling stops while the pauses are still short.
  ~SetValueTest() override { form.reset(); }

  // Starts the station with the meters (on COM1 unless said otherwise); the slave on COM1
  // serves addresses 1 to 5.
  void Start(const std::vector<PanelMeter>& meters) {
    com1.StartPty();
    com1.LinkAsCom(CurrentDir(), 1);
    auto table = std::make_unique<MeterTable>();
    for (const PanelMeter& wanted : meters) {
      TMeterRecord& meter = AddSerialMeter(*table, wanted.address, wanted.comIndex);
      meter.CommMode = wanted.commMode;
      meter.Channels[0].Decimals = wanted.decimals;
      meter.ChannelCount = wanted.channels;
    }
    WriteConfig(*table);
    StartStation();
    // Decimals beyond 4 are named in the start-up report (such a meter is not polled), which
    // shows once the station runs.
    const bool decimalsOutside =
        std::any_of(meters.begin(), meters.end(),
                    [](const PanelMeter& m) { return m.decimals > kMaxDecimals; });
    if (decimalsOutside) WaitProcessing([&] { return !errorBoxes.isEmpty(); });
    ASSERT_EQ(errorBoxes.size(), decimalsOutside ? 1 : 0) << errorBoxes.join('\n').toStdString();
    if (decimalsOutside) {
      EXPECT_TRUE(errorBoxes[0].contains("decimals"));
    }
    errorBoxes.clear();
  }

  void SelectMeterRow(int row) {
    if (form->strgGrid_MeterList->Row() == row) {
      form->strgGrid_MeterListClick();
    } else {
      form->strgGrid_MeterList->SetRow(row);
    }
  }
  std::string Status() const { return form->lbSvOpSta->text().toStdString(); }
  std::string Edit() const { return form->edSV->text().toStdString(); }
  std::string GridText(int row) const {
    return form->strgGrid_MeterList->Cells(3, row).toStdString();
  }
  bool SetValueReadSent() const {
    const std::vector<Frame> requests = com1.Requests();
    return std::find(requests.begin(), requests.end(), kSetValueReadFrame) != requests.end();
  }

  ScopedFastSleep fastSleep;
  ScriptedSlave com1{{1, 2, 3, 4, 5}};
};

TEST_F(SetValueTest, ReadShowsTheRegisterDividedByTheFirstChannelsDecimals) {
  const struct {
    std::uint8_t decimals;
    std::uint16_t reg;
    const char* text;
  } cases[] = {{1, 125, "12.5"}, {2, 0xFFFF, "-0.01"}, {0, 7, "7"}, {5, 125, "125"},
               {9, 40000, "-25536"}};
  std::vector<PanelMeter> meters;
  for (std::uint8_t m = 0; m < std::size(cases); ++m) {
    meters.push_back({static_cast<std::uint8_t>(m + 1), cases[m].decimals});
    com1.SetHolding(m + 1, SetValueRegister, cases[m].reg);
  }
  Start(meters);
  for (int m = 0; m < static_cast<int>(std::size(cases)); ++m) {
    SCOPED_TRACE(m);
    SelectMeterRow(m + 1);
    EXPECT_EQ(form->edSV->EditLabel()->text().toStdString(),
              "Meter " + std::to_string(m + 1) + "--给定值");
    form->btReadSV->click();
    EXPECT_EQ(Status(), "数据读取成功!");
    EXPECT_EQ(Edit(), cases[m].text);
    EXPECT_EQ(GridText(m + 1), cases[m].text);
    EXPECT_FALSE(SetValueRequest.Pending());
  }
  EXPECT_TRUE(SetValueReadSent());
}

TEST_F(SetValueTest, WriteSendsTheTextTimesTheDivisorTruncatedToSixteenBits) {
  Start({{1, 1}, {2, 0}});
  const struct {
    int row;
    const char* text;
    std::uint16_t reg;
  } cases[] = {{1, "12.5", 125}, {2, "3.999", 3}, {2, "-2.5", 0xFFFE}, {1, "4000", 0x9C40}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    SelectMeterRow(c.row);
    form->edSV->setText(c.text);
    form->btSetSv->click();
    EXPECT_EQ(Status(), "数据写入成功!");
    EXPECT_EQ(com1.Holding(c.row, SetValueRegister), c.reg);
    EXPECT_EQ(GridText(c.row), c.text);
  }
  // A text that is no number is refused before anything goes out.
  com1.ClearRequests();
  form->edSV->setText("abc");
  form->btSetSv->click();
  EXPECT_EQ(errorBoxes, QStringList{"'abc' is not a valid floating point value"});
  EXPECT_EQ(com1.Holding(1, SetValueRegister), 0x9C40);
  for (const Frame& request : com1.Requests()) EXPECT_NE(request[1], 0x06);
}

TEST_F(SetValueTest, WithoutARunningThreadOfThePortARequestFailsAtOnce) {
  // COM2 has no device: its thread ends in its first turn.
  Start({{1, 0, 1}});
  ASSERT_EQ(form->Polling().SerialThreads().size(), 1u);
  ASSERT_TRUE(WaitUntil([&] { return form->Polling().SerialThreads()[0]->Finished(); }));
  // No thread sleeps any more: any pause counted from here on would be the panel waiting.
  const long long pauses = ScopedFastSleep::Calls();
  form->btReadSV->click();
  EXPECT_EQ(Status(), "数据读取失败!");
  EXPECT_EQ(Edit(), "");
  form->edSV->setText("5");
  form->btSetSv->click();
  EXPECT_EQ(Status(), "数据写入失败!");
  EXPECT_EQ(ScopedFastSleep::Calls(), pauses);
  EXPECT_FALSE(SetValueRequest.Pending());
}

TEST_F(SetValueTest, OutsideRunModeOrForAPortNoThreadPollsNothingIsRequested) {
  // An Ethernet meter names the serial port of its COM index, which no thread polls here.
  Start({{1, 0}, {2, 0, 3, 1}});
  SelectMeterRow(2);
  ASSERT_EQ(SetValueRequest.Selected().port, 3);
  form->btReadSV->click();
  EXPECT_EQ(Status(), "数据读取失败!");

  SelectMeterRow(1);
  form->EnterConfigMode();
  const long long pauses = ScopedFastSleep::Calls();
  form->btReadSV->click();
  EXPECT_EQ(Status(), "数据读取失败!");
  EXPECT_EQ(ScopedFastSleep::Calls(), pauses);
  EXPECT_FALSE(SetValueReadSent());
  EXPECT_FALSE(SetValueRequest.Pending());
}

class SetValueBoundTest : public SetValueTest {
 protected:
  SetValueBoundTest() : SetValueTest(kBoundDivisor) {}
};

TEST_F(SetValueBoundTest, ARequestStillUnansweredAtTheBoundIsWithdrawn) {
  // The port polls meter 1, which answers, and meter 9, which never does.
  Start({{1, 0}, {kSilentAddress, 0, 0, 0, kMaxChannels}});
  // Wait for the first attempt of a poll of the silent meter: the request then waits behind
  // about a second of polling.
  com1.ClearRequests();
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<Frame> requests = com1.Requests();
    const std::size_t n = requests.size();
    return n >= 2 && requests[n - 1][0] == kSilentAddress && requests[n - 2][0] == 1;
  }));
  form->btReadSV->click();
  EXPECT_EQ(Status(), "数据读取失败!");
  EXPECT_EQ(Edit(), "");
  EXPECT_FALSE(SetValueRequest.Pending());

  // Polling goes on, and the withdrawn request never goes out.
  const std::size_t seen = com1.RequestCount();
  ASSERT_TRUE(com1.WaitForRequests(seen + 5, 10000));
  EXPECT_FALSE(SetValueReadSent());
}

}  // namespace
