// Polling control without a window: polling lists, port handles and threads against scripted
// meters on ptys linked as COM ports and on loopback TCP.

#include "station/app/parts/PollingControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/AppPaths.h"
#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "platform/SerialPort.h"
#include "station/comm/MeterComm.h"
#include "tests/app/MeterTableHelpers.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

class PollingControlTest : public ::testing::Test {
 protected:
  PollingControlTest() { SetAppDir(dir.Path()); }
  // Polling stops while the pauses are still short.
  ~PollingControlTest() override { polling.Stop(); }

  MeterTable& Table() { return *table; }
  void Start() {
    polling.BuildPollLists(Table());
    StartAgain();
  }
  void StartAgain() { polling.Start(Table().PortBaudIndex, socket, sink); }

  TempDir dir;
  ScopedFastSleep fastSleep;
  std::unique_ptr<MeterTable> table = std::make_unique<MeterTable>();
  TClientSocket socket;
  RecordingSink sink;
  TPollingControl polling;  // last: the threads end before what they use goes
};

TEST_F(PollingControlTest, SerialMetersGetOneThreadPerPortInPortOrder) {
  auto com1 = SlaveOnCom(dir.Path(), 0, {1});
  auto com3 = SlaveOnCom(dir.Path(), 2, {3});
  // Table order differs from port order.
  AddSerialMeter(Table(), 3, 2);
  AddSerialMeter(Table(), 1, 0);
  Table().PortBaudIndex[0] = 7;
  Start();

  ASSERT_EQ(polling.SerialThreads().size(), 2u);
  EXPECT_EQ(polling.SerialThreads()[0]->PortIndex, 0);
  EXPECT_EQ(polling.SerialThreads()[1]->PortIndex, 2);
  EXPECT_EQ(polling.SerialThreads()[0]->PortHandle,
            polling.PortHandles()[0]);
  EXPECT_EQ(polling.SerialThreads()[0]->MeterList[0], &Table().Meters[1]);
  EXPECT_EQ(polling.EthernetThread(), nullptr);
  LineSettings line;
  ASSERT_TRUE(QueryLineSettings(polling.PortHandles()[0], line));
  EXPECT_EQ(line.baud, 115200);
  EXPECT_TRUE(com1->WaitForRequests(1, 5000));
  EXPECT_TRUE(com3->WaitForRequests(1, 5000));
  EXPECT_TRUE(WaitUntil([&] { return Table().Meters[0].IsOnline() && Table().Meters[1].IsOnline(); }));
  polling.Stop();
  EXPECT_FALSE(polling.Running());
}

TEST_F(PollingControlTest, EthernetMetersShareOneThreadWhateverTheirPort) {
  AddEthernetMeter(Table(), 1, "", 6000, 0);
  AddSerialMeter(Table(), 2, 40);  // beyond COM40: in no list at all
  AddEthernetMeter(Table(), 3, "", 6000, 39);
  Start();
  EXPECT_TRUE(polling.SerialThreads().empty());
  ASSERT_NE(polling.EthernetThread(), nullptr);
  const TPollList& ethernet = polling.PollList(kEthernetList);
  ASSERT_EQ(ethernet.Count, 2);
  EXPECT_EQ(ethernet.Meters[0], &Table().Meters[0]);
  EXPECT_EQ(ethernet.Meters[1], &Table().Meters[2]);
  for (int p = 0; p < kComPortCount; ++p) EXPECT_EQ(polling.PollList(p).Count, 0);
  // An empty address fails to connect.
  EXPECT_TRUE(WaitUntil([&] { return sink.Last(kEthernetStatusPanel) == " Connect Fail!"; }));
}

TEST_F(PollingControlTest, EmptyTableStartsNothing) {
  Start();
  EXPECT_FALSE(polling.Running());
  polling.Stop();
  for (ComHandle handle : polling.PortHandles()) EXPECT_EQ(handle, kComNeverOpened);
}

TEST_F(PollingControlTest, PortHeldElsewhereEndsItsThreadAndSetsItsMetersOffline) {
  auto com1 = SlaveOnCom(dir.Path(), 0, {1});
  const ComHandle holder = OpenSerialPort(com1->PtyPath(), 9600);
  ASSERT_NE(holder, kComInvalid);
  AddSerialMeter(Table(), 1, 0).Online = 1;
  Start();
  ASSERT_EQ(polling.SerialThreads().size(), 1u);
  EXPECT_EQ(polling.PortHandles()[0], kComInvalid);
  EXPECT_TRUE(WaitUntil([&] { return polling.SerialThreads()[0]->Finished(); }));
  EXPECT_FALSE(Table().Meters[0].IsOnline());
  EXPECT_EQ(com1->RequestCount(), 0u);
  polling.Stop();
  EXPECT_FALSE(polling.Running());
  CloseComHandle(holder);
}

TEST_F(PollingControlTest, RestartBeginsAgainWithEachListsFirstMeter) {
  auto com1 = SlaveOnCom(dir.Path(), 0, {1, 2});
  AddSerialMeter(Table(), 1, 0);
  AddSerialMeter(Table(), 2, 0);
  Start();
  ASSERT_TRUE(com1->WaitForRequests(3, 5000));
  polling.Stop();
  com1->ClearRequests();
  StartAgain();
  ASSERT_TRUE(com1->WaitForRequests(2, 5000));
  const std::vector<Frame> requests = com1->Requests();
  EXPECT_EQ(requests[0][0], 1);
  EXPECT_EQ(requests[1][0], 2);
}

}  // namespace
