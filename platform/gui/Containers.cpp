#include "platform/gui/Containers.h"

#include <QEvent>
#include <QPixmap>
#include <QTabBar>

#include <algorithm>

namespace {

TAlignLayout& DocksOf(QWidget& widget) {
  if (auto* layout = qobject_cast<TAlignLayout*>(widget.layout())) return *layout;
  return *new TAlignLayout(&widget);
}

}  // namespace

TPanel::TPanel(QWidget* parent) : QFrame(parent) { setFrameStyle(QFrame::Panel | QFrame::Raised); }

TAlignLayout& TPanel::Docks() { return DocksOf(*this); }

TScrollBox::TScrollBox(QWidget* parent) : QScrollArea(parent), content_(new QWidget) {
  setWidgetResizable(false);
  setWidget(content_);
  content_->installEventFilter(this);
}

void TScrollBox::UpdateScrollRange() {
  rangeUpdatePending_ = false;
  QRect covered;
  for (QObject* child : content_->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget && !widget->isHidden()) covered |= widget->geometry();
  }
  const QSize view = viewport()->size();
  content_->resize(std::max(covered.right() + 1, view.width()),
                   std::max(covered.bottom() + 1, view.height()));
}

bool TScrollBox::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded:
      if (watched == content_) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) child->installEventFilter(this);
        ScheduleRangeUpdate();
      }
      break;
    case QEvent::ChildRemoved:
      if (watched == content_) ScheduleRangeUpdate();
      break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
      if (watched != content_) ScheduleRangeUpdate();
      break;
    default:
      break;
  }
  return QScrollArea::eventFilter(watched, event);
}

void TScrollBox::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  UpdateScrollRange();
}

void TScrollBox::ScheduleRangeUpdate() {
  // Many children change at once when a list is rebuilt: fit the content once afterwards.
  if (rangeUpdatePending_) return;
  rangeUpdatePending_ = true;
  QMetaObject::invokeMethod(
      this, [this] { if (rangeUpdatePending_) UpdateScrollRange(); }, Qt::QueuedConnection);
}

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {}

TTabSheet* TPageControl::Pages(int index) const { return qobject_cast<TTabSheet*>(widget(index)); }

TTabSheet* TPageControl::ActivePage() const { return qobject_cast<TTabSheet*>(currentWidget()); }

void TPageControl::SetActivePage(TTabSheet* sheet) { setCurrentWidget(sheet); }

QStringList TPageControl::VisibleTabCaptions() const {
  QStringList captions;
  for (int i = 0; i < count(); ++i) {
    if (isTabVisible(i)) captions << tabText(i);
  }
  return captions;
}

TTabSheet::TTabSheet(TPageControl* pageControl, const QString& caption)
    : QWidget(nullptr), pageControl_(pageControl) {
  pageControl_->addTab(this, caption);
}

int TTabSheet::Index() const { return pageControl_->indexOf(this); }

QString TTabSheet::Caption() const { return pageControl_->tabText(Index()); }

void TTabSheet::SetCaption(const QString& caption) { pageControl_->setTabText(Index(), caption); }

bool TTabSheet::TabVisible() const { return pageControl_->isTabVisible(Index()); }

void TTabSheet::SetTabVisible(bool visible) { pageControl_->setTabVisible(Index(), visible); }

TAlignLayout& TTabSheet::Docks() { return DocksOf(*this); }

TImage::TImage(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignLeft | Qt::AlignTop); }

void TImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  setPixmap(QPixmap::fromImage(picture_));
}
