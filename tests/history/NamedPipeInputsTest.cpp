// Named pipes where the viewer expects its files: DevName.dat at start, the history file the
// user picks, and the shown file when a search reads it again. Each is refused without waiting,
// as a file that cannot be read; a guard fails the test should any of them wait in open() again.

#include <QCoreApplication>
#include <QLabel>

#include <filesystem>
#include <string>

#include "platform/gui/StatusBar.h"
#include "tests/history/ViewerFixture.h"

namespace {

namespace fs = std::filesystem;

using NamedPipeViewerTest = ViewerTest;

TEST_F(NamedPipeViewerTest, PipesInPlaceOfTheAliasAndHistoryFilesAreFilesThatCannotBeRead) {
  // A new viewer over a pipe named DevName.dat: reported as an alias file it cannot read.
  form.reset();
  fs::remove(dir.File("DevName.dat"));
  MakeNamedPipe(dir.File("DevName.dat"));
  messageBoxes.clear();
  {
    const ScopedHangGuard guard("a viewer start-up over a named pipe");
    form = std::make_unique<TForm1>();
    form->FormCreate();
  }
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].contains("Cannot read the channel names of " +
                                       QString::fromStdString(dir.File("DevName.dat"))))
      << messageBoxes[0].toStdString();
  EXPECT_TRUE(fs::is_fifo(dir.File("DevName.dat")));

  // A file shown, then a pipe picked: nothing is said and the shown data stays.
  const std::string shown = WriteAndOpen("a.vq", 2, 5, 60);
  const QString range = form->lb_histr_time->text();
  MakeNamedPipe(dir.File("pipe.vq"));
  messageBoxes.clear();
  {
    const ScopedHangGuard guard("opening a named pipe as a history file");
    Open(dir.File("pipe.vq"));
  }
  EXPECT_TRUE(messageBoxes.isEmpty()) << messageBoxes.join('\n').toStdString();
  EXPECT_EQ(form->lb_histr_time->text(), range);
  EXPECT_EQ(form->StatusBar1->PanelText(0).toStdString(), shown);

  // The shown file replaced by a pipe: the search, which reads it again, finds no file to read.
  fs::remove(shown);
  MakeNamedPipe(shown);
  {
    const ScopedHangGuard guard("a search over a named pipe");
    form->Button1Click();
  }
  for (const std::string& pipe : {dir.File("DevName.dat"), dir.File("pipe.vq"), shown}) {
    EXPECT_FALSE(NamedPipeHasReader(pipe)) << pipe << " is still being read";
  }
}

}  // namespace
