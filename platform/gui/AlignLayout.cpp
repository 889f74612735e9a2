#include "platform/gui/AlignLayout.h"

#include <QWidget>

#include <algorithm>

TAlignLayout::TAlignLayout(QWidget* parent) : QLayout(parent) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
}

TAlignLayout::~TAlignLayout() {
  for (Entry& entry : entries_) delete entry.item;
}

void TAlignLayout::AddAligned(QWidget* widget, TAlign align, int extent) {
  addChildWidget(widget);
  entries_.push_back({new QWidgetItem(widget), align, extent});
  invalidate();
}

void TAlignLayout::addItem(QLayoutItem* item) {
  entries_.push_back({item, TAlign::Client, 0});
  invalidate();
}

int TAlignLayout::count() const { return static_cast<int>(entries_.size()); }

QLayoutItem* TAlignLayout::itemAt(int index) const {
  return index >= 0 && index < count() ? entries_[index].item : nullptr;
}

QLayoutItem* TAlignLayout::takeAt(int index) {
  if (index < 0 || index >= count()) return nullptr;
  QLayoutItem* item = entries_[index].item;
  entries_.erase(entries_.begin() + index);
  invalidate();
  return item;
}

int TAlignLayout::Extent(const Entry& entry) const {
  if (entry.extent > 0) return entry.extent;
  const QSize hint = entry.item->sizeHint();
  return entry.align == TAlign::Left || entry.align == TAlign::Right ? hint.width()
                                                                      : hint.height();
}

QSize TAlignLayout::sizeHint() const {
  int width = 0;
  int height = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  for (const Entry& entry : entries_) {
    if (entry.item->isEmpty()) continue;
    switch (entry.align) {
      case TAlign::Top:
      case TAlign::Bottom:
        height += Extent(entry);
        break;
      case TAlign::Left:
      case TAlign::Right:
        width += Extent(entry);
        break;
      case TAlign::Client:
        clientWidth = std::max(clientWidth, entry.item->sizeHint().width());
        clientHeight = std::max(clientHeight, entry.item->sizeHint().height());
        break;
    }
  }
  return QSize(width + clientWidth, height + clientHeight);
}

QSize TAlignLayout::minimumSize() const { return QSize(0, 0); }

void TAlignLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  QRect rest = contentsRect();
  for (TAlign align : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client}) {
    for (const Entry& entry : entries_) {
      if (entry.align != align || entry.item->isEmpty()) continue;
      // A parent smaller than its docked widgets squeezes the last of them, never below 0.
      const int room = align == TAlign::Left || align == TAlign::Right ? rest.width() : rest.height();
      const int extent = std::clamp(Extent(entry), 0, std::max(0, room));
      switch (align) {
        case TAlign::Top:
          entry.item->setGeometry(QRect(rest.left(), rest.top(), rest.width(), extent));
          rest.setTop(rest.top() + extent);
          break;
        case TAlign::Bottom:
          entry.item->setGeometry(QRect(rest.left(), rest.bottom() + 1 - extent, rest.width(), extent));
          rest.setBottom(rest.bottom() - extent);
          break;
        case TAlign::Left:
          entry.item->setGeometry(QRect(rest.left(), rest.top(), extent, rest.height()));
          rest.setLeft(rest.left() + extent);
          break;
        case TAlign::Right:
          entry.item->setGeometry(QRect(rest.right() + 1 - extent, rest.top(), extent, rest.height()));
          rest.setRight(rest.right() - extent);
          break;
        case TAlign::Client:
          entry.item->setGeometry(rest);
          break;
      }
    }
  }
}
