#include "platform/gui/Cp936Edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QValidator>

#include <limits>

#include "platform/Cp936.h"

namespace {

std::size_t Cp936Bytes(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Cp936Length(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

bool Encodable(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return EncodableInCp936(
      std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// Judges every change made to the edit; Qt refuses a change judged Invalid and keeps the
// previous text. Pastes and drops reach it already cut (TCp936Edit::FitInsertion).
class Cp936Validator : public QValidator {
 public:
  Cp936Validator(const TCp936Edit& edit, QObject* parent) : QValidator(parent), edit_(edit) {}

  State validate(QString& input, int&) const override {
    return TCp936Edit::Acceptable(input, edit_.MaxBytes()) ? Acceptable : Invalid;
  }

 private:
  const TCp936Edit& edit_;
};

// Gap between a labeled edit's caption and the edit.
constexpr int kEditLabelGap = 3;

}  // namespace

TCp936Edit::TCp936Edit(QWidget* parent) : TCp936Edit(QString(), parent) {}

TCp936Edit::TCp936Edit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
  setValidator(new Cp936Validator(*this, this));
}

void TCp936Edit::SetMaxBytes(int maxBytes) { maxBytes_ = maxBytes > 0 ? maxBytes : 0; }

bool TCp936Edit::Acceptable(const QString& text, int maxBytes) {
  const QByteArray utf8 = text.toUtf8();
  const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  if (!EncodableInCp936(view)) return false;
  return maxBytes <= 0 || Cp936Length(view) <= static_cast<std::size_t>(maxBytes);
}

std::optional<QString> TCp936Edit::FitInsertion(const QString& kept, const QString& pasted,
                                                int maxBytes) {
  if (!Acceptable(kept, maxBytes)) return std::nullopt;  // the text around it does not fit
  std::size_t room = maxBytes > 0 ? static_cast<std::size_t>(maxBytes) - Cp936Bytes(kept)
                                  : std::numeric_limits<std::size_t>::max();
  QString fitting;
  for (qsizetype i = 0; i < pasted.size();) {
    // A surrogate pair is one character.
    const qsizetype length = pasted[i].isHighSurrogate() && i + 1 < pasted.size() ? 2 : 1;
    const QString character = pasted.mid(i, length);
    i += length;
    if (!Encodable(character)) continue;  // the code page cannot hold it: left out
    const std::size_t bytes = Cp936Bytes(character);
    if (bytes > room) break;
    room -= bytes;
    fitting += character;
  }
  // Nothing of it fits: the paste is refused.
  if (fitting.isEmpty() && !pasted.isEmpty()) return std::nullopt;
  return fitting;
}

void TCp936Edit::Paste(QClipboard::Mode mode) {
  if (isReadOnly()) return;
  const QString pasted = QGuiApplication::clipboard()->text(mode);
  if (pasted.isEmpty() && !hasSelectedText()) return;  // as the platform's paste
  // The paste replaces the selection: the rest of the text stays beside it.
  QString kept = text();
  if (hasSelectedText()) kept.remove(selectionStart(), selectedText().size());
  const std::optional<QString> fitted = FitInsertion(kept, pasted, maxBytes_);
  if (fitted) insert(*fitted);
}

void TCp936Edit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
    // Ctrl+Shift+Insert pastes the selection's text where the system has one.
    const bool selection = event->key() == Qt::Key_Insert &&
                           event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) &&
                           QGuiApplication::clipboard()->supportsSelection();
    Paste(selection ? QClipboard::Selection : QClipboard::Clipboard);
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TCp936Edit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::MiddleButton || isReadOnly() ||
      !QGuiApplication::clipboard()->supportsSelection()) {
    QLineEdit::mouseReleaseEvent(event);
    return;
  }
  // The middle button pastes the selection's text at the cursor, cut as any paste; the platform's
  // edit is told of the release without its button, so that it does not paste it whole.
  deselect();
  Paste(QClipboard::Selection);
  QMouseEvent released(event->type(), event->position(), event->scenePosition(),
                       event->globalPosition(), Qt::NoButton, event->buttons(),
                       event->modifiers(), event->pointingDevice());
  QLineEdit::mouseReleaseEvent(&released);
}

void TCp936Edit::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  // A text moved within the edit keeps its length: the platform's edit moves it, judged whole.
  if (isReadOnly() || data == nullptr || !data->hasText() ||
      (event->source() == this && event->dropAction() == Qt::MoveAction)) {
    QLineEdit::dropEvent(event);
    return;
  }
  // A drop inserts at the point dropped on with nothing selected: the whole text stays.
  const std::optional<QString> fitted = FitInsertion(text(), data->text(), maxBytes_);
  if (!fitted) {
    event->ignore();
    return;
  }
  QMimeData cut;
  cut.setText(*fitted);
  QDropEvent dropped(event->position(), event->possibleActions(), &cut, event->buttons(),
                     event->modifiers(), event->type());
  dropped.setDropAction(event->dropAction());
  QLineEdit::dropEvent(&dropped);
  event->setDropAction(dropped.dropAction());
  event->setAccepted(dropped.isAccepted());
}

void TCp936Edit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  if (menu == nullptr) return;
  // The menu's Paste runs after this handler has returned: it is given the same cut as Ctrl+V.
  // It is the action that pastes into this edit (the menu's texts are translated).
  for (QAction* action : menu->actions()) {
    // The platform's menu connects its actions by their signatures.
    if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste())) ||
        disconnect(action, &QAction::triggered, this, &QLineEdit::paste)) {
      connect(action, &QAction::triggered, this, [this] { Paste(); });
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

TLabeledEdit::TLabeledEdit(QWidget* parent) : TCp936Edit(parent), label_(new QLabel(parent)) {
  PlaceLabel();
}

void TLabeledEdit::SetLabelCaption(const QString& caption) {
  if (!label_) return;
  label_->setText(caption);
  PlaceLabel();
}

void TLabeledEdit::moveEvent(QMoveEvent* event) {
  TCp936Edit::moveEvent(event);
  PlaceLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* event) {
  TCp936Edit::resizeEvent(event);
  PlaceLabel();
}

void TLabeledEdit::showEvent(QShowEvent* event) {
  TCp936Edit::showEvent(event);
  if (label_) label_->show();
}

void TLabeledEdit::hideEvent(QHideEvent* event) {
  TCp936Edit::hideEvent(event);
  if (label_) label_->hide();
}

void TLabeledEdit::PlaceLabel() {
  if (!label_) return;
  label_->adjustSize();
  label_->move(x(), y() - label_->height() - kEditLabelGap);
}
