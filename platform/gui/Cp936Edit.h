#pragma once
// Edits whose texts end up in code page 936 fields (record names and units, ini values).
//
// MaxBytes limits the text by its code page 936 length, which is what a fixed record field
// holds: 8 bytes take 8 ASCII characters or 4 Chinese ones (QLineEdit::maxLength would count
// UTF-16 units instead). A typed character, or a word an input method commits, that would pass
// the limit is refused whole, and so is any character the code page cannot hold, which would
// otherwise be stored as '?'. A paste (Ctrl+V, Shift+Insert, the context menu, the middle
// button) or a drop keeps the leading part of its text that fits, cut between two characters,
// and leaves out the characters the code page cannot hold: the pasted text itself is cut, to
// the room the text around the selection leaves, before it is inserted. A text dragged within
// the edit is moved whole or not at all, and an insert() from code is taken whole or refused,
// as typed text is. Texts set from code are taken as given (as the platform's edit does); the
// record writer cuts them. GUI thread only.

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <optional>

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

  // The leading characters of `pasted` that the code page holds and that fit beside `kept`
  // (the text that stays around them) within `maxBytes` (0 = no limit); nullopt when `kept`
  // does not fit by itself, or when `pasted` has characters and none of them fits.
  static std::optional<QString> FitInsertion(const QString& kept, const QString& pasted,
                                             int maxBytes);
  // Pastes the text of the clipboard `mode` over the selection, cut as above; nothing when
  // nothing of it fits.
  void Paste(QClipboard::Mode mode = QClipboard::Clipboard);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

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
