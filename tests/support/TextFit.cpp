#include "tests/support/TextFit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/gui/StringGrid.h"

namespace {

// Qt builds the style options of its controls in protected members; these reach them through
// pointers to members, without pretending that a control is of another class.
struct PushButtonOption : QPushButton {
  static void Init(const QPushButton& control, QStyleOptionButton& option) {
    (control.*(&PushButtonOption::initStyleOption))(&option);
  }
};
struct CheckBoxOption : QCheckBox {
  static void Init(const QCheckBox& control, QStyleOptionButton& option) {
    (control.*(&CheckBoxOption::initStyleOption))(&option);
  }
};
struct GroupBoxOption : QGroupBox {
  static void Init(const QGroupBox& control, QStyleOptionGroupBox& option) {
    (control.*(&GroupBoxOption::initStyleOption))(&option);
  }
};
struct TabOption : QTabBar {
  static void Init(const QTabBar& control, QStyleOptionTab& option, int index) {
    (control.*(&TabOption::initStyleOption))(&option, index);
  }
};

struct TextSize {
  int Width = 0;
  int Height = 0;
  int Lines = 0;
};

// Lays the text out in `font` as Qt draws it, glyphs of other faces included; wrapWidth < 0
// keeps it on one line.
TextSize Measure(const QString& text, const QFont& font, int wrapWidth = -1) {
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(wrapWidth < 0 ? QTextOption::NoWrap : QTextOption::WordWrap);
  layout.setTextOption(option);
  qreal width = 0;
  qreal height = 0;
  TextSize size;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(wrapWidth < 0 ? 1e6 : wrapWidth);
    width = std::max(width, line.naturalTextWidth());
    height += line.height();
    ++size.Lines;
  }
  layout.endLayout();
  size.Width = static_cast<int>(std::ceil(width));
  size.Height = static_cast<int>(std::ceil(height));
  return size;
}

void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

class Checker {
 public:
  explicit Checker(QWidget& window) : window_(window) {}

  QStringList Problems() const { return problems_; }

  // Every control of the window that shows now and has not been checked yet.
  void CheckShowing() {
    for (QWidget* control : window_.findChildren<QWidget*>()) {
      if (!control->isVisibleTo(&window_) || !checked_.insert(control).second) continue;
      Check(*control);
    }
  }

  // Each visible tab of the page control in front in turn, with the page controls inside it.
  void VisitPages(QTabWidget& pages) {
    const int current = pages.currentIndex();
    QTabBar& bar = *pages.tabBar();
    for (int i = 0; i < pages.count(); ++i) {
      if (!pages.isTabVisible(i)) continue;
      pages.setCurrentIndex(i);
      Settle();
      CheckTab(bar, i, pages.widget(i)->objectName());
      CheckShowing();
      for (QTabWidget* inner : OutermostPages(*pages.widget(i))) VisitPages(*inner);
    }
    pages.setCurrentIndex(current);
    Settle();
  }

  // The page controls under `area` that no other page control under it holds.
  static QList<QTabWidget*> OutermostPages(QWidget& area) {
    QList<QTabWidget*> outermost;
    for (QTabWidget* pages : area.findChildren<QTabWidget*>()) {
      bool nested = false;
      for (QWidget* up = pages->parentWidget(); up != nullptr && up != &area;
           up = up->parentWidget()) {
        if (qobject_cast<QTabWidget*>(up) != nullptr) nested = true;
      }
      if (!nested) outermost << pages;
    }
    return outermost;
  }

 private:
  void Check(QWidget& control) {
    if (auto* button = qobject_cast<QPushButton*>(&control)) {
      QStyleOptionButton option;
      PushButtonOption::Init(*button, option);
      const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option,
                                                         button);
      CheckOneLine(control, button->text(), area.size());
    } else if (auto* box = qobject_cast<QCheckBox*>(&control)) {
      QStyleOptionButton option;
      CheckBoxOption::Init(*box, option);
      const QRect area = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
      CheckOneLine(control, box->text(), area.size());
    } else if (auto* label = qobject_cast<QLabel*>(&control)) {
      CheckLabel(*label);
    } else if (auto* group = qobject_cast<QGroupBox*>(&control)) {
      CheckGroupTitle(*group);
    } else if (auto* grid = qobject_cast<TStringGrid*>(&control)) {
      CheckGridHeaders(*grid);
    }
  }

  void CheckLabel(QLabel& label) {
    // Blanks after the last glyph show nothing.
    QString text = label.text();
    while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
    if (text.isEmpty() || !label.pixmap().isNull()) return;
    int indent = label.indent();
    if (indent < 0) {
      indent = label.frameWidth() > 0 ? label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2
                                      : 0;
    }
    const int margin = label.margin();
    const QSize area(label.contentsRect().width() - 2 * margin - indent,
                     label.contentsRect().height() - 2 * margin);
    if (label.wordWrap()) {
      // A caption that wraps has not fitted its line.
      const TextSize wrapped = Measure(text, label.font(), area.width());
      if (wrapped.Lines > 1) {
        Report(label, text,
               QStringLiteral("wraps onto %1 lines in %2 x %3")
                   .arg(wrapped.Lines)
                   .arg(area.width())
                   .arg(area.height()));
        return;
      }
    }
    CheckOneLine(label, text, area);
  }

  void CheckGroupTitle(QGroupBox& group) {
    const QString title = group.title();
    if (title.isEmpty()) return;
    QStyleOptionGroupBox option;
    GroupBoxOption::Init(group, option);
    const QRect area =
        group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
    const TextSize size = Measure(title, group.font());
    // The style sizes the title's rectangle to the text: it must lie within the box, with the
    // same margin on the right as on the left.
    const QSize available(group.width() - 2 * area.left(), area.height());
    if (size.Width > available.width() || size.Height > available.height()) {
      ReportSize(group, title, size, available);
    }
  }

  void CheckTab(QTabBar& bar, int index, const QString& pageName) {
    const QString text = bar.tabText(index);
    if (text.isEmpty()) return;
    QStyleOptionTab option;
    TabOption::Init(bar, option, index);
    const QRect area = bar.style()->subElementRect(QStyle::SE_TabBarTabText, &option, &bar);
    const TextSize size = Measure(text, bar.font());
    if (size.Width > area.width() || size.Height > area.height()) {
      problems_ << QStringLiteral("%1/%2 (tab): \"%3\" needs %4 x %5, has %6 x %7")
                       .arg(window_.objectName(), pageName, text)
                       .arg(size.Width)
                       .arg(size.Height)
                       .arg(area.width())
                       .arg(area.height());
    }
  }

  void CheckGridHeaders(TStringGrid& grid) {
    const auto checkCell = [&](int col, int row) {
      const QString text = grid.Cells(col, row);
      if (text.isEmpty()) return;
      // The default drawing insets the text; the grids' own drawing handlers centre it in the
      // whole cell.
      const int inset = grid.OnDrawCell ? 0 : TStringGrid::kTextInset;
      const QRect cell = grid.CellRect(col, row).adjusted(inset, 0, -inset, 0);
      const TextSize size = Measure(text, grid.font());
      if (size.Width > cell.width() || size.Height > cell.height()) {
        problems_ << QStringLiteral("%1/%2 (grid cell %3,%4): \"%5\" needs %6 x %7, has %8 x %9")
                         .arg(window_.objectName(), Name(grid))
                         .arg(col)
                         .arg(row)
                         .arg(text)
                         .arg(size.Width)
                         .arg(size.Height)
                         .arg(cell.width())
                         .arg(cell.height());
      }
    };
    // Row 0 holds the column titles, whether it is a fixed row or not; a fixed column holds
    // the row titles.
    for (int col = 0; col < grid.ColCount(); ++col) checkCell(col, 0);
    for (int col = 0; col < grid.FixedCols(); ++col) {
      for (int row = 1; row < grid.RowCount(); ++row) checkCell(col, row);
    }
  }

  void CheckOneLine(QWidget& control, const QString& text, const QSize& available) {
    if (text.isEmpty()) return;
    const TextSize size = Measure(text, control.font());
    if (size.Width > available.width() || size.Height > available.height()) {
      ReportSize(control, text, size, available);
    }
  }

  void ReportSize(QWidget& control, const QString& text, const TextSize& size,
                  const QSize& available) {
    Report(control, text,
           QStringLiteral("needs %1 x %2, has %3 x %4")
               .arg(size.Width)
               .arg(size.Height)
               .arg(available.width())
               .arg(available.height()));
  }

  void Report(QWidget& control, const QString& text, const QString& what) {
    problems_ << QStringLiteral("%1/%2 (%3): \"%4\" %5")
                     .arg(window_.objectName(), Name(control),
                          QString::fromLatin1(control.metaObject()->className()), text, what);
  }

  // The control's name, or for a part without one, the name of the control it belongs to.
  static QString Name(const QWidget& control) {
    if (!control.objectName().isEmpty()) return control.objectName();
    for (const QWidget* up = control.parentWidget(); up != nullptr; up = up->parentWidget()) {
      if (!up->objectName().isEmpty()) return up->objectName() + QStringLiteral("/(part)");
    }
    return QStringLiteral("(unnamed)");
  }

  QWidget& window_;
  std::set<const QWidget*> checked_;
  QStringList problems_;
};

}  // namespace

QStringList TextFitProblems(QWidget& window) {
  window.show();
  Settle();
  Checker checker(window);
  checker.CheckShowing();
  for (QTabWidget* pages : Checker::OutermostPages(window)) {
    if (pages->isVisibleTo(&window)) checker.VisitPages(*pages);
  }
  return checker.Problems();
}

QString WindowFace(const QWidget& window) {
  const QFontInfo face(window.font());
  return window.objectName() + QStringLiteral(": %1 %2").arg(face.family()).arg(face.pixelSize());
}
