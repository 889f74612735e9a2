#include "platform/gui/StatusBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "platform/Errors.h"

namespace {

// Room above and below the text of a panel.
constexpr int kVerticalPadding = 4;

}  // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {}

void TStatusBar::SetPanelWidths(const std::vector<int>& widths) {
  panels_.clear();
  for (int width : widths) panels_.push_back({width, QString()});
  {
    std::lock_guard lock(pendingMutex_);
    pending_.assign(widths.size(), Pending{});
  }
  update();
}

int TStatusBar::PanelWidth(int index) const {
  if (index < 0 || index >= PanelCount()) throw Exception("Status panel index out of range");
  return panels_[index].width;
}

QString TStatusBar::PanelText(int index) const {
  if (index < 0 || index >= PanelCount()) throw Exception("Status panel index out of range");
  return panels_[index].text;
}

void TStatusBar::SetPanelText(int index, const QString& text) {
  if (index < 0 || index >= PanelCount()) throw Exception("Status panel index out of range");
  panels_[index].text = text;
  update(PanelRect(index));
}

bool TStatusBar::PostPanelText(int index, const QString& text) {
  // Checked against the pending slots under their lock: a polling thread never reads panels_.
  std::lock_guard lock(pendingMutex_);
  if (index < 0 || index >= static_cast<int>(pending_.size())) return false;
  Pending& pending = pending_[index];
  pending.text = text;
  if (pending.posted) return true;  // the call on its way shows the newest text
  pending.posted = true;
  QMetaObject::invokeMethod(this, [this, index] { ShowPendingText(index); },
                            Qt::QueuedConnection);
  return true;
}

void TStatusBar::ShowPendingText(int index) {
  QString text;
  {
    std::lock_guard lock(pendingMutex_);
    // The panels may have been replaced since the call was posted.
    if (index >= static_cast<int>(pending_.size()) || !pending_[index].posted) return;
    text = std::move(pending_[index].text);
    pending_[index].posted = false;
  }
  SetPanelText(index, text);
}

QRect TStatusBar::PanelRect(int index) const {
  int left = 0;
  for (int i = 0; i < index; ++i) left += panels_[i].width;
  const bool last = index == PanelCount() - 1;
  const int width = last ? std::max(panels_[index].width, this->width() - left) : panels_[index].width;
  return QRect(left, 0, width, height());
}

QSize TStatusBar::sizeHint() const {
  int width = 0;
  for (const Panel& panel : panels_) width += panel.width;
  return QSize(width, fontMetrics().height() + 2 * kVerticalPadding);
}

void TStatusBar::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  for (int i = 0; i < PanelCount(); ++i) {
    const QRect rect = PanelRect(i);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect.adjusted(1, 1, -1, -1);
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
    painter.save();
    painter.setClipRect(rect.adjusted(kTextInset, 0, -kTextInset, 0));
    painter.drawText(rect.adjusted(kTextInset, 0, -kTextInset, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     panels_[i].text);
    painter.restore();
  }
}
