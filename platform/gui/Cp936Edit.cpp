#include "platform/gui/Cp936Edit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QValidator>

#include <algorithm>
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
// previous text, and takes the text as the validator leaves it otherwise.
class Cp936Validator : public QValidator {
 public:
  Cp936Validator(const TCp936Edit& edit, QObject* parent) : QValidator(parent), edit_(edit) {}

  State validate(QString& input, int& pos) const override {
    if (TCp936Edit::Acceptable(input, edit_.MaxBytes())) return Acceptable;
    if (!edit_.Pasting()) return Invalid;
    const std::optional<QString> fitted = edit_.FitInsertion(input);
    if (!fitted) return Invalid;
    pos = static_cast<int>(fitted->size() - (input.size() - pos));
    input = *fitted;
    return Acceptable;
  }

 private:
  const TCp936Edit& edit_;
};

// Gap between a labeled edit's caption and the edit.
constexpr int kEditLabelGap = 3;

// Sets a flag for as long as it lives.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = before_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool before_;
};

}  // namespace

TCp936Edit::TCp936Edit(QWidget* parent) : TCp936Edit(QString(), parent) {}

TCp936Edit::TCp936Edit(const QString& text, QWidget* parent)
    : QLineEdit(text, parent), shown_(text) {
  setValidator(new Cp936Validator(*this, this));
  connect(this, &QLineEdit::textChanged, this, [this](const QString& now) { shown_ = now; });
}

void TCp936Edit::SetMaxBytes(int maxBytes) { maxBytes_ = maxBytes > 0 ? maxBytes : 0; }

bool TCp936Edit::Acceptable(const QString& text, int maxBytes) {
  const QByteArray utf8 = text.toUtf8();
  const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  if (!EncodableInCp936(view)) return false;
  return maxBytes <= 0 || Cp936Length(view) <= static_cast<std::size_t>(maxBytes);
}

std::optional<QString> TCp936Edit::FitInsertion(const QString& changed) const {
  // The inserted part is what lies between the longest common head and tail of the text before
  // and after the change, never splitting a surrogate pair.
  const QString& before = shown_;
  const qsizetype shorter = std::min(before.size(), changed.size());
  qsizetype head = 0;
  while (head < shorter && before[head] == changed[head]) ++head;
  if (head > 0 && changed[head - 1].isHighSurrogate()) --head;
  qsizetype tail = 0;
  while (tail < shorter - head &&
         before[before.size() - 1 - tail] == changed[changed.size() - 1 - tail]) {
    ++tail;
  }
  if (tail > 0 && changed[changed.size() - tail].isLowSurrogate()) --tail;
  const QString kept = changed.left(head) + changed.right(tail);
  if (!Acceptable(kept, maxBytes_)) return std::nullopt;  // the text around it does not fit

  const QString inserted = changed.mid(head, changed.size() - head - tail);
  std::size_t room = maxBytes_ > 0 ? static_cast<std::size_t>(maxBytes_) - Cp936Bytes(kept)
                                   : std::numeric_limits<std::size_t>::max();
  QString fitting;
  for (qsizetype i = 0; i < inserted.size();) {
    const qsizetype length =
        inserted[i].isHighSurrogate() && i + 1 < inserted.size() ? 2 : 1;
    const QString character = inserted.mid(i, length);
    i += length;
    if (!Encodable(character)) continue;  // the code page cannot hold it: left out
    const std::size_t bytes = Cp936Bytes(character);
    if (bytes > room) break;
    room -= bytes;
    fitting += character;
  }
  if (fitting.isEmpty()) return std::nullopt;  // nothing of it fits: the change is refused
  return changed.left(head) + fitting + changed.right(tail);
}

bool TCp936Edit::event(QEvent* event) {
  // Keys (Ctrl+V, Shift+Insert), the middle button and drops may insert several characters at
  // once; an input method's committed word is taken whole or not at all, as typed text is.
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Drop: {
      const FlagScope pasting(pasting_);
      return QLineEdit::event(event);
    }
    default:
      return QLineEdit::event(event);
  }
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

void TCp936Edit::Paste() {
  const FlagScope pasting(pasting_);
  paste();
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
