#pragma once
// Edits whose texts end up in code page 936 fields (record names and units, ini values).
//
// MaxBytes limits the text by its code page 936 length, which is what a fixed record field
// holds: 8 bytes take 8 ASCII characters or 4 Chinese ones (QLineEdit::maxLength would count
// UTF-16 units instead). Typing or pasting that would pass the limit is refused whole, and so is
// any character the code page cannot hold, which would otherwise be stored as '?'. Texts set
// from code are taken as given (as the platform's edit does); the record writer cuts them.
// GUI thread only.

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

class TCp936Edit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TCp936Edit(QWidget* parent = nullptr);
  TCp936Edit(const QString& text, QWidget* parent);

  // 0 = no limit.
  int MaxBytes() const { return maxBytes_; }
  void SetMaxBytes(int maxBytes);

  // True when `text` may stand in an edit limited to `maxBytes` (0 = no limit).
  static bool Acceptable(const QString& text, int maxBytes);

 private:
  int maxBytes_ = 0;
};

// An edit with its caption label above it. The label is a sibling in the same parent that
// follows the edit's position and visibility.
class TLabeledEdit : public TCp936Edit {
  Q_OBJECT
 public:
  explicit TLabeledEdit(QWidget* parent = nullptr);

  QLabel* EditLabel() const { return label_; }
  // Sets the label's caption and keeps the label above the edit.
  void SetLabelCaption(const QString& caption);

 protected:
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void PlaceLabel();

  QPointer<QLabel> label_;
};
