#pragma once
// A station application directory for the start-up, polling and mode suites: a temporary
// directory made the current directory for the test (the previous one comes back afterwards)
// holding the logo, helpers that write settings files and meters, and the main window.

#include <QCoreApplication>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "common/FixedText.h"
#include "common/MeterRecord.h"
#include "station/app/parts/ConfigFile.h"
#include "station/app/MainForm.h"
#include "tests/app/MeterTableHelpers.h"
#include "tests/platform/gui/GuiTestApp.h"
#include "tests/support/TestSupport.h"

inline const QSize kLogoSize(24, 8);

// Writes a picture of one colour; returns it as written.
inline QImage WriteImage(const std::string& path, const char* format, QSize size = kLogoSize,
                         QColor color = Qt::darkCyan) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  EXPECT_TRUE(image.save(QString::fromStdString(path), format)) << path;
  return image;
}

class StationDirTest : public GuiTest {
 protected:
  StationDirTest() : previousDir_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir.Path());
    WriteImage(dir.File("Velm_LOGO.BMP"), "BMP");
  }
  ~StationDirTest() override {
    form.reset();
    std::filesystem::current_path(previousDir_);
  }

  // The current directory as the system spells it (what start-up takes as AppDir).
  static std::string CurrentDir() { return std::filesystem::current_path().string(); }
  static void WriteFile(const std::string& relative, const std::string& bytes) {
    const std::filesystem::path path = std::filesystem::current_path() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string ReadFile(const std::string& relative) {
    return ReadFileBytes((std::filesystem::current_path() / relative).string());
  }

  // COM1..COM40 become links to a device that does not exist: every open of them fails, and no
  // meter of a test's table reaches a serial port of the machine.
  void LinkEveryComPortToNothing() const {
    std::filesystem::create_directories(dir.File("dev"));
    for (int com = 1; com <= kComPortCount; ++com) {
      std::filesystem::create_symlink(dir.File("dev/absent"),
                                      dir.File("dev/com" + std::to_string(com)));
    }
  }

  // A Config.dat in the current directory holding `table` (and a new file's other fields).
  static void WriteConfig(const MeterTable& table) {
    const std::string path = CurrentDir() + "/Config.dat";
    EXPECT_TRUE(CreateConfigFileIfMissing(path).ok());
    EXPECT_TRUE(SaveMeterTable(path, table).ok());
    EXPECT_TRUE(SaveBaudTable(path, table.PortBaudIndex).ok());
  }

  // Constructs the main window and runs its start-up sequence.
  Tfm_MainForm& StartStation() {
    form = std::make_unique<Tfm_MainForm>();
    form->FormCreate();
    return *form;
  }

  // Delivers queued calls (status texts) while waiting.
  template <class Condition>
  static bool WaitProcessing(Condition condition, int timeoutMs = 5000) {
    return WaitUntil(
        [&] {
          QCoreApplication::processEvents();
          return condition();
        },
        timeoutMs);
  }

  TempDir dir;
  std::unique_ptr<Tfm_MainForm> form;

 private:
  std::filesystem::path previousDir_;
};
