#pragma once
// TUpDown: up and down arrows beside a whole number held within a range (no wrapping). OnClick
// runs after every press of an arrow (mouse, arrow keys or wheel), also when the position is
// already at its limit and stays put, so a handler that applies the position can re-apply it at
// any time. The number cannot be typed: the position moves only by the arrows, or from code
// (setValue), which runs no handler.
//
// GUI thread only. It stays a QSpinBox to the rest of the program.

#include <QSpinBox>

#include <functional>

class TUpDown : public QSpinBox {
 public:
  explicit TUpDown(QWidget* parent = nullptr);

  // Runs after the position has moved by one step (or failed to, at a limit).
  std::function<void()> OnClick;

  void stepBy(int steps) override;

 protected:
  // Both arrows are always live: a press at a limit is still a click.
  StepEnabled stepEnabled() const override;
};
