#pragma once
// Containers of window designs: panels, scroll boxes, page controls with tab sheets, and the
// picture control. GUI thread only.

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>

#include "platform/gui/AlignLayout.h"

// A panel with a raised bevel. Its children are docked through Docks() or placed at fixed
// positions (a child that is not docked keeps the geometry it is given, even a negative one).
class TPanel : public QFrame {
  Q_OBJECT
 public:
  explicit TPanel(QWidget* parent = nullptr);
  // The docking layout of the panel (created on first use).
  TAlignLayout& Docks();
};

// A scroll box: children go into Content() at fixed positions, and the scrolling range follows
// the area they cover (it is recomputed after children are added, removed, moved or resized).
class TScrollBox : public QScrollArea {
  Q_OBJECT
 public:
  explicit TScrollBox(QWidget* parent = nullptr);

  QWidget* Content() const { return content_; }
  // Fits the content to its children now (normally done after the event that changed them).
  void UpdateScrollRange();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ScheduleRangeUpdate();

  QWidget* content_;
  bool rangeUpdatePending_ = false;
};

class TTabSheet;

// A page control: a tab per sheet, in the order the sheets were created.
class TPageControl : public QTabWidget {
  Q_OBJECT
 public:
  explicit TPageControl(QWidget* parent = nullptr);

  int PageCount() const { return count(); }
  TTabSheet* Pages(int index) const;
  TTabSheet* ActivePage() const;
  void SetActivePage(TTabSheet* sheet);
  // The captions of the tabs that show, from the left.
  QStringList VisibleTabCaptions() const;
};

// One page of a page control. It appends itself as the control's last page.
class TTabSheet : public QWidget {
  Q_OBJECT
 public:
  TTabSheet(TPageControl* pageControl, const QString& caption);

  TPageControl* PageControl() const { return pageControl_; }
  QString Caption() const;
  void SetCaption(const QString& caption);
  // A sheet whose tab is hidden cannot be reached by the operator.
  bool TabVisible() const;
  void SetTabVisible(bool visible);
  // The docking layout of the sheet (created on first use).
  TAlignLayout& Docks();

 private:
  int Index() const;

  TPageControl* pageControl_;
};

// A picture control: shows its picture at the top left (or at the right edge when aligned so),
// unscaled.
class TImage : public QLabel {
  Q_OBJECT
 public:
  explicit TImage(QWidget* parent = nullptr);

  const QImage& Picture() const { return picture_; }
  void SetPicture(const QImage& picture);

 private:
  QImage picture_;
};
