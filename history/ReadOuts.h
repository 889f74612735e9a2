#pragma once
// The cross-hair's read-outs: the value box of every channel in the side panel and the time line
// over the chart. Each shows its whole text, never a part of it: a text that its box cannot hold
// in the box's design font is shown in the largest smaller size that it fits in, and a box that
// cannot hold it even in the smallest size grows for it. A later text that fits again is shown
// in the design font and box. GUI thread only.

#include <QFont>
#include <QRect>
#include <QString>
#include <memory>

class QLabel;
class QLineEdit;
class QStyle;

// The design font of the channels' value boxes: the window's face, 10 points, bold.
QFont ValueBoxFont(const QFont& windowFont);

class TFontSteps;

// The read-outs of one window, with what they keep between mouse moves: the design fonts'
// smaller sizes and their metrics, and the room for text in a value box. GUI thread only.
class TReadOuts {
 public:
  TReadOuts();
  ~TReadOuts();
  TReadOuts(const TReadOuts&) = delete;
  TReadOuts& operator=(const TReadOuts&) = delete;

  // Sets `text` into a value box whose design font is `design` and design geometry `place`. A
  // box that has to grow widens to the left, over the end of its row's check box, and keeps
  // its right edge.
  void ShowValueText(QLineEdit& box, const QString& text, const QFont& design,
                     const QRect& place);

  // Sets `text` into the time read-out, a label of `designSize` in the font `design`: a longer
  // text widens the label up to the right edge of its parent, then takes a smaller font, and
  // one that does not fit even so is wrapped onto as many lines as it needs.
  void ShowReadOutLine(QLabel& label, const QString& text, const QFont& design,
                       const QSize& designSize);

 private:
  // The room for text in an edit of `width` pixels as its style lays it out.
  qreal EditTextRoom(const QLineEdit& box, int width);

  std::unique_ptr<TFontSteps> valueFonts_;
  std::unique_ptr<TFontSteps> lineFonts_;
  // The last room measured: every value box has the same style and size, so the last answer is
  // nearly always the one.
  const QStyle* roomStyle_ = nullptr;
  QSize roomSize_;
  bool roomFrame_ = false;
  qreal room_ = 0;
};
