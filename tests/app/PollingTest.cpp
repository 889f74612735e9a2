// Polling control against scripted meters on ptys linked as COM ports and on loopback TCP.

#include <gtest/gtest.h>

#include <QTimer>

#include "common/AppPaths.h"
#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "platform/SerialPort.h"
#include "platform/gui/StatusBar.h"
#include "station/comm/MeterComm.h"
#include "tests/app/StartupFixture.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

class PollingTest : public StationDirTest {
 protected:
  PollingTest() {
    SetAppDir(CurrentDir());
    form = std::make_unique<Tfm_MainForm>();
  }
  // Polling stops while the pauses are still short.
  ~PollingTest() override { form.reset(); }

  MeterTable& Table() { return form->Configuration().Table(); }

  void Start() {
    form->BuildPollLists();
    form->StartPolling();
  }

  // A slave on a pty that the station opens as COM(comIndex + 1).
  std::unique_ptr<ScriptedSlave> SlaveOnCom(int comIndex, std::vector<std::uint8_t> addresses) {
    auto slave = std::make_unique<ScriptedSlave>(std::move(addresses));
    slave->StartPty();
    slave->LinkAsCom(CurrentDir(), comIndex + 1);
    return slave;
  }

  QString EthernetPanel() const { return form->statusBar_MainForm->PanelText(kEthernetStatusPanel); }

  ScopedFastSleep fastSleep;
};

TEST_F(PollingTest, SerialMetersGetOneThreadPerPortInPortOrder) {
  auto com1 = SlaveOnCom(0, {1});
  auto com3 = SlaveOnCom(2, {3});
  // Table order differs from port order.
  AddSerialMeter(Table(), 3, 2);
  AddSerialMeter(Table(), 1, 0);
  Table().PortBaudIndex[0] = 7;
  Start();

  ASSERT_EQ(form->Polling().SerialThreads().size(), 2u);
  EXPECT_EQ(form->Polling().SerialThreads()[0]->PortIndex, 0);
  EXPECT_EQ(form->Polling().SerialThreads()[1]->PortIndex, 2);
  EXPECT_EQ(form->Polling().SerialThreads()[0]->PortHandle,
            form->Polling().PortHandles()[0]);
  EXPECT_EQ(form->Polling().SerialThreads()[0]->MeterList[0], &Table().Meters[1]);
  EXPECT_EQ(form->Polling().EthernetThread(), nullptr);
  LineSettings line;
  ASSERT_TRUE(QueryLineSettings(form->Polling().PortHandles()[0], line));
  EXPECT_EQ(line.baud, 115200);
  EXPECT_TRUE(com1->WaitForRequests(1, 5000));
  EXPECT_TRUE(com3->WaitForRequests(1, 5000));
  EXPECT_TRUE(WaitUntil([&] { return Table().Meters[0].IsOnline() && Table().Meters[1].IsOnline(); }));
  form->StopPolling();
  EXPECT_FALSE(form->PollingRunning());
}

TEST_F(PollingTest, EthernetMetersShareOneThreadWhateverTheirPort) {
  AddEthernetMeter(Table(), 1, "", 6000, 0);
  AddSerialMeter(Table(), 2, 40);  // beyond COM40: in no list at all
  AddEthernetMeter(Table(), 3, "", 6000, 39);
  Start();
  EXPECT_TRUE(form->Polling().SerialThreads().empty());
  ASSERT_NE(form->Polling().EthernetThread(), nullptr);
  const TPollList& ethernet = form->Polling().PollList(kEthernetList);
  ASSERT_EQ(ethernet.Count, 2);
  EXPECT_EQ(ethernet.Meters[0], &Table().Meters[0]);
  EXPECT_EQ(ethernet.Meters[1], &Table().Meters[2]);
  for (int p = 0; p < kComPortCount; ++p) EXPECT_EQ(form->Polling().PollList(p).Count, 0);
  // An empty address fails to connect.
  EXPECT_TRUE(WaitProcessing([&] { return EthernetPanel() == " Connect Fail!"; }));
}

TEST_F(PollingTest, EmptyTableStartsNothing) {
  Start();
  EXPECT_FALSE(form->PollingRunning());
  form->StopPolling();
  for (ComHandle handle : form->Polling().PortHandles()) EXPECT_EQ(handle, kComNeverOpened);
}

TEST_F(PollingTest, PortHeldElsewhereEndsItsThreadAndSetsItsMetersOffline) {
  auto com1 = SlaveOnCom(0, {1});
  const ComHandle holder = OpenSerialPort(com1->PtyPath(), 9600);
  ASSERT_NE(holder, kComInvalid);
  AddSerialMeter(Table(), 1, 0).Online = 1;
  Start();
  ASSERT_EQ(form->Polling().SerialThreads().size(), 1u);
  EXPECT_EQ(form->Polling().PortHandles()[0], kComInvalid);
  EXPECT_TRUE(WaitUntil([&] { return form->Polling().SerialThreads()[0]->Finished(); }));
  EXPECT_FALSE(Table().Meters[0].IsOnline());
  EXPECT_EQ(com1->RequestCount(), 0u);
  form->StopPolling();
  EXPECT_FALSE(form->PollingRunning());
  CloseComHandle(holder);
}

TEST_F(PollingTest, RestartBeginsAgainWithEachListsFirstMeter) {
  auto com1 = SlaveOnCom(0, {1, 2});
  AddSerialMeter(Table(), 1, 0);
  AddSerialMeter(Table(), 2, 0);
  Start();
  ASSERT_TRUE(com1->WaitForRequests(3, 5000));
  form->StopPolling();
  com1->ClearRequests();
  form->StartPolling();
  ASSERT_TRUE(com1->WaitForRequests(2, 5000));
  const std::vector<Frame> requests = com1->Requests();
  EXPECT_EQ(requests[0][0], 1);
  EXPECT_EQ(requests[1][0], 2);
}

TEST_F(PollingTest, EthernetConnectionsShowInPanelFour) {
  ScriptedSlave meter({4});
  const int port = meter.StartTcp();
  int closedPort = 0;
  {
    ScriptedSlave gone({5});
    closedPort = gone.StartTcp();
  }  // nothing listens there any more
  AddEthernetMeter(Table(), 4, "127.0.0.1", port);
  Start();
  EXPECT_TRUE(WaitProcessing([&] { return EthernetPanel() == "127.0.0.1 Connect Success"; }));
  EXPECT_TRUE(WaitUntil([&] { return Table().Meters[0].IsOnline(); }));
  form->StopPolling();

  Table().Meters[0].TcpPort = closedPort;
  Start();
  EXPECT_TRUE(WaitProcessing([&] { return EthernetPanel() == "127.0.0.1 Connect Fail!"; }));
  // The other panels stay empty.
  for (int panel = 0; panel < kEthernetStatusPanel; ++panel) {
    EXPECT_EQ(form->statusBar_MainForm->PanelText(panel), "");
  }
}

TEST_F(PollingTest, SocketErrorsCloseTheConnectionInsteadOfEndingTheThread) {
  ScriptedSlave meter({4});
  meter.SetDefaultReply(SlaveReply::Silent());
  const int port = meter.StartTcp();
  AddEthernetMeter(Table(), 4, "127.0.0.1", port);
  Start();
  // Each poll runs into the receive time-out; the next one needs a new connection.
  EXPECT_TRUE(WaitUntil([&] { return meter.TcpAccepts() >= 2; }, 10000));
  EXPECT_FALSE(form->Polling().EthernetThread()->Finished());
}

TEST_F(PollingTest, ClosingTheWindowWaitsForEveryThread) {
  auto com1 = SlaveOnCom(0, {1});
  auto com2 = SlaveOnCom(1, {2});
  AddSerialMeter(Table(), 1, 0);
  AddSerialMeter(Table(), 2, 1);
  Start();
  form->timer_PerSecond->start();
  form->show();
  ASSERT_TRUE(com1->WaitForRequests(1, 5000));
  ASSERT_TRUE(com2->WaitForRequests(1, 5000));
  form->close();
  EXPECT_FALSE(form->PollingRunning());
  EXPECT_FALSE(form->timer_PerSecond->isActive());
  const std::size_t seen1 = com1->RequestCount();
  const std::size_t seen2 = com2->RequestCount();
  RealSleepMs(100);
  EXPECT_EQ(com1->RequestCount(), seen1);
  EXPECT_EQ(com2->RequestCount(), seen2);
}

TEST_F(PollingTest, DestroyingTheWindowStopsPollingFirst) {
  auto com1 = SlaveOnCom(0, {1});
  ScriptedSlave tcp({2});
  AddSerialMeter(Table(), 1, 0);
  AddEthernetMeter(Table(), 2, "127.0.0.1", tcp.StartTcp());
  Start();
  ASSERT_TRUE(com1->WaitForRequests(1, 5000));
  ASSERT_TRUE(tcp.WaitForRequests(1, 5000));
  form.reset();
  const std::size_t seen = com1->RequestCount() + tcp.RequestCount();
  RealSleepMs(100);
  EXPECT_EQ(com1->RequestCount() + tcp.RequestCount(), seen);
}

}  // namespace
