#pragma once
// The main window's design: the sizes of its panels and grids and the small builders its
// construction files share. Included only by the window's own files.

#include <QGridLayout>
#include <QLabel>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Controls.h"
#include "platform/gui/StringGrid.h"
#include "station/comm/MeterComm.h"

namespace main_window_design {

// ---- Sizes of the design ----
inline constexpr int kLogoWidth = 238;
inline constexpr int kLogoHeight = 79;
inline constexpr int kClockFontPixelSize = 21;
inline constexpr int kMeterListPanelWidth = 393;
inline constexpr int kMeterPanelHeight = 323;
inline constexpr int kChannelPanelHeight = 170;
inline constexpr int kTrendListPanelWidth = 329;
inline constexpr int kTrendOptionsHeight = 231;
inline constexpr int kSmsSettingsHeight = 200;
inline constexpr int kSmsSaveHeight = 54;
inline constexpr int kSmsMemoHeight = 80;
inline constexpr int kSmsNumberEditWidth = 80;
inline constexpr int kFlowChartSize = 1024;

// Meter grid: 4 columns, rows 20 high, one fixed row, 2 rows at design. Column 3 has no header:
// it holds the set-value panel's texts.
inline constexpr int kMeterGridWidths[] = {93, 167, 89, 64};
inline constexpr int kMeterGridSetValueColumn = 3;
// Channel grid: 9 columns, rows 20 high, one fixed row, 2 rows at design.
inline constexpr int kChannelGridWidths[] = {96, 125, 64, 64, 64, 64, 64, 64, 64};
inline constexpr int kEditorGridRowHeight = 20;
inline constexpr int kEditorGridRows = 2;
// Alarm grid: 5 columns, rows 18 high, no fixed row or column, 1 row at design.
inline constexpr int kAlarmGridWidths[] = {102, 98, 63, 120, 120};
inline constexpr int kAlarmGridRowHeight = 18;
// Phone grid: header row and column, rows 1 to 10 for the ten numbers, columns 120 wide.
inline constexpr int kPhoneGridCols = 3;
inline constexpr int kPhoneGridRows = 11;
inline constexpr int kPhoneGridColWidth = 120;
// Status bar: five panels; the fifth shows the Ethernet connection texts.
inline const std::vector<int> kStatusPanelWidths = {380, 50, 50, 50, 50};

// Set-value panel: mostly beyond the left edge of the meter panel, invisible.
inline constexpr QRect kSetValuePanelRect(-207, 185, 240, 136);
inline constexpr int kSetValueFontPixelSize = 27;

// The trend range edits' limit.
inline constexpr int kRangeMaxBytes = 40;

inline constexpr int kCurvesWidthMin = 1;
inline constexpr int kCurvesWidthMax = 10;
// Top left of the "ALL" box; the per-curve boxes start below it at top 32.
inline constexpr QPoint kSelectAllPosition(8, 8);

inline constexpr int kDesignBaudIndex = 2;  // 9600

inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

inline TScrollBox* NewScrollBox(const char* name, QWidget* parent) {
  return Named(new TScrollBox(parent), name);
}

inline TTabSheet* NewSheet(const char* name, const char* caption, TPageControl* pageControl) {
  return Named(new TTabSheet(pageControl, Utf8(caption)), name);
}

inline QComboBox* NewCombo(const char* name, const QStringList& items, int selected,
                           QWidget* parent) {
  return Named(MakeListCombo(items, selected, parent), name);
}

inline QStringList BaudRateItems() {
  QStringList items;
  for (std::int32_t rate : BaudRateTable) items << QString::number(rate);
  return items;
}

template <std::size_t N>
inline TStringGrid* NewGrid(const char* name, const int (&widths)[N], int rowHeight, int rows,
                     int fixedRows, QWidget* parent) {
  auto* grid = Named(new TStringGrid(parent), name);
  grid->SetColCount(static_cast<int>(N));
  grid->SetRowCount(rows);
  grid->SetFixedCols(0);
  grid->SetFixedRows(fixedRows);
  for (std::size_t col = 0; col < N; ++col) grid->SetColWidths(static_cast<int>(col), widths[col]);
  grid->SetDefaultRowHeight(rowHeight);
  return grid;
}

// A label above its field, in one cell of a grid layout.
inline void AddLabeledField(QGridLayout& layout, int row, int column, QLabel* label,
                            QWidget* field) {
  layout.addWidget(label, 2 * row, column);
  layout.addWidget(field, 2 * row + 1, column);
}

// Rows of controls into a grid layout, one cell each; a null entry leaves its cell empty.
inline void AddGridRows(QGridLayout& layout, const QList<QList<QWidget*>>& rows) {
  for (int row = 0; row < rows.size(); ++row) {
    for (int column = 0; column < rows[row].size(); ++column) {
      if (QWidget* control = rows[row][column]) layout.addWidget(control, row, column);
    }
  }
}

}  // namespace main_window_design
