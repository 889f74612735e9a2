// The design face, and the text-fit check that the window suites rely on: it names exactly the
// controls whose captions the user cannot read whole, on every page the user can bring up.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>

#include "platform/gui/Fonts.h"
#include "platform/gui/StringGrid.h"
#include "tests/platform/gui/GuiTestApp.h"
#include "tests/support/TextFit.h"

namespace {

class FontsTest : public GuiTest {};

template <class Control>
Control* Make(Control* control, const char* name, const QRect& rect) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(rect);
  return control;
}

// The names the check reports, in its order.
QStringList Named(const QStringList& problems) {
  QStringList names;
  for (const QString& problem : problems) names << problem.section(QLatin1Char(' '), 0, 0);
  return names;
}

TEST_F(FontsTest, TheDesignFaceIsTheInstalledFaceAskedForByName) {
  const QFont font = DesignFont();
  const QFontInfo face(font);
  // The font database of the platform plugin (offscreen in the tests) finds the face by name.
  EXPECT_EQ(face.family().toStdString(), "Liberation Sans");
  EXPECT_EQ(face.pixelSize(), 11);
  EXPECT_EQ(QFontInfo(DesignFont(21)).pixelSize(), 21);
  // Chinese texts are drawn by the CJK face of the list.
  QFont cjk(QStringLiteral("WenQuanYi Micro Hei"));
  cjk.setPixelSize(11);
  ASSERT_EQ(QFontInfo(cjk).family().toStdString(), "WenQuanYi Micro Hei");
  const QString chinese = QString::fromUtf8("设备通道信息");
  EXPECT_EQ(QFontMetrics(font).horizontalAdvance(chinese),
            QFontMetrics(cjk).horizontalAdvance(chinese));
  // The application's own default is the design face.
  EXPECT_EQ(QFontInfo(QApplication::font()).family().toStdString(), "Liberation Sans");
}

TEST_F(FontsTest, TextFitNamesEachControlThatCutsItsTextOnEveryVisiblePage) {
  QWidget window;
  window.setObjectName(QStringLiteral("window"));
  window.setFont(DesignFont());
  window.resize(400, 300);
  const QString longText = QStringLiteral("A caption far too long for the little space it gets");
  Make(new QPushButton(QStringLiteral("OK"), &window), "fits", {4, 4, 60, 25});
  Make(new QPushButton(longText, &window), "cutButton", {70, 4, 100, 25});
  Make(new QCheckBox(longText, &window), "cutCheck", {4, 34, 120, 20});
  auto* hidden = Make(new QLabel(longText, &window), "hiddenLabel", {4, 60, 30, 13});
  hidden->hide();
  // Trailing blanks show nothing; a label one pixel too low cuts its glyphs.
  Make(new QLabel(QStringLiteral("Port      "), &window), "blanks", {4, 60, 30, 16});
  Make(new QLabel(QStringLiteral("Port"), &window), "low", {40, 60, 40, 8});
  auto* wrapping = Make(new QLabel(longText, &window), "wraps", {4, 80, 150, 30});
  wrapping->setWordWrap(true);
  Make(new QGroupBox(longText, &window), "cutTitle", {4, 116, 100, 30});

  auto* pages = Make(new QTabWidget(&window), "pages", {4, 150, 390, 140});
  auto* first = new QWidget;
  first->setObjectName(QStringLiteral("first"));
  Make(new QLabel(QStringLiteral("Short"), first), "firstLabel", {4, 4, 60, 16});
  pages->addTab(first, QStringLiteral("First"));
  auto* second = new QWidget;
  second->setObjectName(QStringLiteral("second"));
  Make(new QLabel(longText, second), "cutOnSecondPage", {4, 4, 60, 16});
  auto* grid = Make(new TStringGrid(second), "grid", {4, 24, 300, 60});
  grid->SetColCount(2);
  grid->SetRowCount(3);
  grid->SetFixedCols(1);
  grid->SetColWidths(0, 40);
  grid->SetColWidths(1, 200);
  grid->SetCells(1, 0, QStringLiteral("Mobile No."));
  grid->SetCells(0, 2, QStringLiteral("Number 10"));
  pages->addTab(second, QStringLiteral("Second"));
  auto* unreachable = new QWidget;
  Make(new QLabel(longText, unreachable), "onHiddenTab", {4, 4, 60, 16});
  pages->addTab(unreachable, QStringLiteral("Hidden"));
  pages->setTabVisible(2, false);

  const QStringList problems = TextFitProblems(window);
  EXPECT_EQ(Named(problems).join(QLatin1Char(' ')).toStdString(),
            "window/cutButton window/cutCheck window/low window/wraps window/cutTitle "
            "window/cutOnSecondPage window/grid")
      << problems.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(problems.filter(QStringLiteral("grid cell 0,2")).size() == 1)
      << "the fixed column's row title is named by its cell";
  EXPECT_EQ(pages->currentIndex(), 0) << "the page in front is the one before the check";
}

TEST_F(FontsTest, TextFitNamesATabWhoseTextIsCut) {
  QWidget window;
  window.setObjectName(QStringLiteral("window"));
  window.resize(300, 200);
  auto* pages = Make(new QTabWidget(&window), "pages", {0, 0, 300, 200});
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("page"));
  pages->addTab(page, QStringLiteral("Tab"));
  EXPECT_TRUE(TextFitProblems(window).isEmpty());
  // A style sheet that narrows the tab below its text.
  pages->setStyleSheet(QStringLiteral("QTabBar::tab { width: 10px; }"));
  EXPECT_EQ(Named(TextFitProblems(window)).join(QLatin1Char(' ')).toStdString(), "window/page");
}

}  // namespace
