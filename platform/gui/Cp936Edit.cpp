#include "platform/gui/Cp936Edit.h"

#include <QValidator>

#include "common/Cp936.h"

namespace {

// Judges every change the operator makes; Qt refuses a change judged Invalid and keeps the
// previous text.
class Cp936Validator : public QValidator {
 public:
  Cp936Validator(const TCp936Edit& edit, QObject* parent) : QValidator(parent), edit_(edit) {}

  State validate(QString& input, int& /*pos*/) const override {
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
