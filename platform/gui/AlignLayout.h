#pragma once
// TAlignLayout: docks widgets to the edges of their parent, the way window designs say "aligned to
// the top, 81 pixels high" or "fills the rest".
//
// Widgets are placed in this order: all Top ones from the top down (in the order they were
// added), then all Bottom ones from the bottom up, then Left ones from the left, Right ones from
// the right, and each Client widget takes what is left. A Top or Bottom widget keeps its extent
// as its height, a Left or Right one as its width (0: its size hint). Hidden widgets take no
// room. Resizing the parent only moves and resizes the docked widgets; nothing is rebuilt.

#include <QLayout>

#include <vector>

enum class TAlign { Top, Bottom, Left, Right, Client };

class TAlignLayout : public QLayout {
  Q_OBJECT
 public:
  explicit TAlignLayout(QWidget* parent = nullptr);
  ~TAlignLayout() override;

  // Docks `widget` (which becomes a child of the layout's parent widget).
  void AddAligned(QWidget* widget, TAlign align, int extent = 0);

  // QLayout: items added without an alignment fill the client area.
  void addItem(QLayoutItem* item) override;
  int count() const override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  struct Entry {
    QLayoutItem* item;
    TAlign align;
    int extent;
  };
  int Extent(const Entry& entry) const;

  std::vector<Entry> entries_;
};
