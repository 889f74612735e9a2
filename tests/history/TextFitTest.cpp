// Every caption of the viewer can be read whole: the main window at its design size, before and
// after a file is opened and with the alias panel open, the export dialog as "Export to EXCEL"
// shows it, and the about box; each of them in the design face at the design height.

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "history/AboutBox.h"
#include "platform/gui/Dialogs.h"
#include "tests/history/ViewerFixture.h"
#include "tests/support/TextFit.h"

namespace {

using ViewerTextFitTest = ViewerTest;

TEST_F(ViewerTextFitTest, EveryWindowAndDialogShowsItsTextsWhole) {
  // The design size: the smallest the window is shown at (it opens maximised).
  form->setWindowState(Qt::WindowNoState);
  form->resize(TForm1::kDesignWidth, TForm1::kDesignHeight);
  QStringList problems = TextFitProblems(*form);
  QStringList faces = {WindowFace(*form)};
  // A file spanning days: the export dialog's range text with wide digits.
  WriteAndOpen("wide.vq", 3, 100, 3600, EncodeDateTime({2028, 12, 28, 20, 58, 58, 0}));
  ASSERT_TRUE(form->Button_expro_histr->isEnabled());
  problems << TextFitProblems(*form);
  form->N2Click();  // the alias panel
  problems << TextFitProblems(*form);

  QString rangeText;
  ScopedModalHook hook([&](QDialog& dialog) {
    if (auto* range = dialog.findChild<QLabel*>(QStringLiteral("Label_histr_timerange"))) {
      rangeText = range->text();
    }
    faces << WindowFace(dialog);
    problems << TextFitProblems(dialog);
    dialog.hide();
    return int{mrCancel};
  });
  form->Button_expro_histrClick();
  EXPECT_TRUE(rangeText.startsWith(QStringLiteral("Valid Time Range: 28-12-28 20:58:58 To 29-01-0")))
      << rangeText.toStdString();

  TAboutBox about;
  faces << WindowFace(about);
  problems << TextFitProblems(about);

  EXPECT_TRUE(problems.isEmpty()) << "\n" << problems.join(QLatin1Char('\n')).toStdString();
  const QString design = QStringLiteral(": Liberation Sans 11");
  EXPECT_EQ(faces.join(QLatin1Char('\n')).toStdString(),
            QStringList({"Form1" + design, "Form2" + design, "AboutBox" + design})
                .join(QLatin1Char('\n'))
                .toStdString());
}

}  // namespace
