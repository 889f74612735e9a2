#pragma once
// TFrame1: the temperature and humidity tile of the hidden page TabSheet3, 238 x 230 pixels.
// From the top: the channel name (Label1, sky blue), the temperature block (Panel3: "T", the value
// Label3, "°C" over the four alarm panels HH, HA, LA, LL) and the humidity block (Panel2: "H", the
// value Label4, "HR%" over the same four panels). Nothing writes the values or the alarm panels:
// they keep their design texts. The constructor builds this content and nothing else.
//
// About 19 widgets a frame: the main window builds frames only when their content changes
// (BuildWsdFrames). GUI thread only.

#include <QFrame>

#include "platform/gui/Colors.h"

class QLabel;
class TPanel;

class TFrame1 : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kWidth = 238;
  static constexpr int kHeight = 230;
  static constexpr int kNameHeight = 20;
  static constexpr int kBlockHeight = 102;

  explicit TFrame1(QWidget* owner);

  TPanel* Panel1 = nullptr;
  QLabel* Label1 = nullptr;  // the channel name
  TPanel* Panel3 = nullptr;  // temperature
  QLabel* Label6 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label7 = nullptr;
  TPanel* Panel2 = nullptr;  // humidity
  QLabel* Label2 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;

 private:
  // Names and design texts of one value block.
  struct BlockDesign {
    const char* panel;
    const char* letterName;
    const char* letter;
    const char* valueName;
    const char* value;
    TColor valueColor;
    const char* unitName;
    const char* unit;
  };
  struct BlockLabels {
    TPanel* block = nullptr;
    QLabel* letter = nullptr;
    QLabel* value = nullptr;
    QLabel* unit = nullptr;
  };
  BlockLabels BuildBlock(const BlockDesign& design);
};
