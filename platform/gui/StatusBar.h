#pragma once
// TStatusBar: a row of text panels at the bottom of a window, each of a fixed width, the last
// one reaching to the right edge (so a long text there is not cut at its design width).
//
// SetPanelText belongs to the GUI thread. PostPanelText may be called from any thread: it hands
// the text to the GUI thread with a queued call and returns at once. At most one call per panel
// is on its way: texts posted while it waits replace its text, so a thread that posts faster than
// the GUI thread shows (a polling loop whose connects all fail at once) never floods the event
// queue, and the panel still ends with the newest text. REQUIRES: every thread that
// posts has stopped before the status bar is destroyed (texts posted earlier but not yet shown
// are then dropped).

#include <QString>
#include <QWidget>

#include <mutex>
#include <vector>

class TStatusBar : public QWidget {
  Q_OBJECT
 public:
  // Horizontal room between a panel's edge and its text.
  static constexpr int kTextInset = 3;

  explicit TStatusBar(QWidget* parent = nullptr);

  // Replaces the panels: one per width, every text empty.
  void SetPanelWidths(const std::vector<int>& widths);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  // The design width of panel `index`.
  int PanelWidth(int index) const;
  QString PanelText(int index) const;
  // Raises Exception for an index that names no panel.
  void SetPanelText(int index, const QString& text);
  // Any thread. Returns false (and posts nothing) for an index that names no panel.
  bool PostPanelText(int index, const QString& text);
  // Panel `index`'s rectangle in the bar.
  QRect PanelRect(int index) const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Panel {
    int width;
    QString text;
  };
  // A text posted from any thread and not yet shown.
  struct Pending {
    QString text;
    bool posted = false;  // a queued call will show `text`
  };
  void ShowPendingText(int index);

  std::vector<Panel> panels_;  // the count changes only on the GUI thread, before posting starts
  std::mutex pendingMutex_;
  std::vector<Pending> pending_;  // one per panel; guarded by pendingMutex_
};
