// Every caption of the viewer can be read whole: the main window at its design size, before and
// after a file is opened and with the alias panel open, the export dialog as "Export to EXCEL"
// shows it, and the about box.

#include <gtest/gtest.h>

#include <QDialog>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>

#include "history/AboutBox.h"
#include "history/ExportForm.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"
#include "tests/history/ViewerFixture.h"
#include "tests/support/TextFit.h"

namespace {

class ViewerTextFitTest : public ViewerTest {
 protected:
  ViewerTextFitTest() {
    // The design size: the smallest the window is shown at (it opens maximised).
    form->setWindowState(Qt::WindowNoState);
    form->resize(TForm1::kDesignWidth, TForm1::kDesignHeight);
  }

  static std::string Listed(const QStringList& problems) {
    return "\n" + problems.join(QLatin1Char('\n')).toStdString();
  }
};

TEST_F(ViewerTextFitTest, EveryWindowAndDialogShowsItsTextsWhole) {
  QStringList problems = TextFitProblems(*form);
  // A file spanning days: the export dialog's range text at its widest digits.
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
    problems << TextFitProblems(dialog);
    dialog.hide();
    return int{mrCancel};
  });
  form->Button_expro_histrClick();
  EXPECT_TRUE(rangeText.startsWith(QStringLiteral("Valid Time Range: 28-12-28 20:58:58 To 29-01-0")))
      << rangeText.toStdString();

  TAboutBox about;
  problems << TextFitProblems(about);
  EXPECT_TRUE(problems.isEmpty()) << Listed(problems);
}

TEST_F(ViewerTextFitTest, WindowsUseTheDesignFaceAtTheDesignHeight) {
  QStringList faces;
  const auto face = [](const QWidget& window) {
    const QFontInfo info(window.font());
    return info.family() + QStringLiteral(" %1").arg(info.pixelSize());
  };
  faces << face(*form);
  WriteAndOpen("short.vq", 2, 10, 60);
  ScopedModalHook hook([&](QDialog& dialog) {
    faces << face(dialog);
    return int{mrCancel};
  });
  form->Button_expro_histrClick();
  TAboutBox about;
  faces << face(about);
  const QString design = DesignFontFamilies().constFirst() + QStringLiteral(" 11");
  EXPECT_EQ(faces.join(", ").toStdString(),
            QStringList({design, design, design}).join(", ").toStdString());
}

}  // namespace
