// Opening and closing COM ports into handle slots, over ptys linked as the station's COM ports.

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "station/comm/ComPortAccess.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

// COM1 and COM2 of an application directory are two scripted meters' ptys; COM3 has no link and
// falls back to a system device that a test machine may or may not have, so it is not used.
class ComPortAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = AppDir();
    SetAppDir(dir_.Path());
    com1_.StartPty();
    com1_.LinkAsCom(dir_.Path(), 1);
    com2_.StartPty();
    com2_.LinkAsCom(dir_.Path(), 2);
  }
  void TearDown() override {
    for (ComHandle* slot : {&slot_, &other_}) CloseComPort(*slot);
    SetAppDir(saved_);
  }
  static bool IsOpen(ComHandle handle) { return ComPortFromHandle(handle) != nullptr; }
  // A port index whose link points at nothing: the open fails as for a missing port.
  int MissingPortIndex() {
    const int comNumber = 9;
    ::symlink(dir_.File("no-such-device").c_str(), dir_.File("dev/com9").c_str());
    return comNumber - 1;
  }

  TempDir dir_;
  std::string saved_;
  ScriptedSlave com1_;
  ScriptedSlave com2_;
  ComHandle slot_ = kComNeverOpened;
  ComHandle other_ = kComNeverOpened;
};

TEST_F(ComPortAccess, PortIndexZeroAndBaudIndexTwoOpenCom1At9600EightNoneTwo) {
  ASSERT_TRUE(OpenComPort(slot_, 0, 2));
  EXPECT_NE(slot_, kComNeverOpened);
  EXPECT_NE(slot_, kComInvalid);
  LineSettings settings;
  ASSERT_TRUE(QueryLineSettings(slot_, settings));
  EXPECT_EQ(settings.baud, 9600);
  EXPECT_EQ(settings.dataBits, 8);
  EXPECT_EQ(settings.parity, 'N');
  EXPECT_EQ(settings.stopBits, 2);

  // It is COM1's meter that answers.
  std::uint8_t reply[kPollReplyBufferSize];
  ScopedFastSleep fastSleep;
  SerialTransport link(*ComPortFromHandle(slot_));
  EXPECT_TRUE(ReadInputRegs(link, 1, reply, 0, 1));
  EXPECT_EQ(com1_.RequestCount(), 1u);
  EXPECT_EQ(com2_.RequestCount(), 0u);
}

TEST_F(ComPortAccess, EveryBaudIndexSetsItsBaud) {
  for (int baudIndex = 0; baudIndex < kBaudRateCount; ++baudIndex) {
    ASSERT_TRUE(OpenComPort(slot_, 1, baudIndex));
    LineSettings settings;
    ASSERT_TRUE(QueryLineSettings(slot_, settings));
    EXPECT_EQ(settings.baud, BaudRateTable[baudIndex]);
  }
}

TEST_F(ComPortAccess, ReopeningASlotClosesItsPortBeforeTheNewOpen) {
  ASSERT_TRUE(OpenComPort(slot_, 0, 2));
  const ComHandle first = slot_;
  // Were the old port still open, the exclusive open of the same device would fail.
  ASSERT_TRUE(OpenComPort(slot_, 0, 7));
  EXPECT_NE(slot_, first);
  EXPECT_FALSE(IsOpen(first));
}

TEST_F(ComPortAccess, AFailedReopenStillClosesTheOldPortAndLeavesMinusOne) {
  ASSERT_TRUE(OpenComPort(slot_, 0, 2));
  const ComHandle first = slot_;
  EXPECT_FALSE(OpenComPort(slot_, MissingPortIndex(), 2));
  EXPECT_EQ(slot_, kComInvalid);
  EXPECT_FALSE(IsOpen(first));
  // COM1 is free again.
  EXPECT_TRUE(OpenComPort(other_, 0, 2));
}

TEST_F(ComPortAccess, APortHeldThroughAnotherSlotCannotBeOpenedAgain) {
  ASSERT_TRUE(OpenComPort(slot_, 0, 2));
  EXPECT_FALSE(OpenComPort(other_, 0, 2));
  EXPECT_EQ(other_, kComInvalid);
  EXPECT_TRUE(IsOpen(slot_));
}

TEST_F(ComPortAccess, IndexesOutsideTheTablesFailWithoutTouchingADevice) {
  ASSERT_TRUE(OpenComPort(slot_, 0, 2));
  const ComHandle first = slot_;
  const std::pair<int, int> damaged[] = {{-1, 2}, {40, 2}, {255, 2}, {0, -1}, {0, 8}, {0, 255}};
  for (const auto& [port, baud] : damaged) {
    EXPECT_FALSE(OpenComPort(slot_, port, baud)) << port << ", " << baud;
    EXPECT_EQ(slot_, kComInvalid);
  }
  EXPECT_FALSE(IsOpen(first));
  ComHandle fresh = kComNeverOpened;
  EXPECT_FALSE(OpenComPort(fresh, 40, 2));
  EXPECT_EQ(fresh, kComInvalid);
}

TEST_F(ComPortAccess, CloseLeavesMinusOneExceptOnANeverOpenedSlot) {
  ComHandle never = kComNeverOpened;
  CloseComPort(never);
  EXPECT_EQ(never, kComNeverOpened);

  ASSERT_TRUE(OpenComPort(slot_, 0, 2));
  const ComHandle open = slot_;
  CloseComPort(slot_);
  EXPECT_EQ(slot_, kComInvalid);
  EXPECT_FALSE(IsOpen(open));
  CloseComPort(slot_);
  EXPECT_EQ(slot_, kComInvalid);
}

TEST_F(ComPortAccess, AFailedOpenOfANeverOpenedSlotLeavesMinusOne) {
  EXPECT_FALSE(OpenComPort(slot_, MissingPortIndex(), 2));
  EXPECT_EQ(slot_, kComInvalid);
}

}  // namespace
