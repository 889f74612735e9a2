#pragma once
// TColorPanel: a panel that shows a TColor and runs OnClick when the user clicks it (the colour
// swatches of the history window). The panel keeps the TColor it was given; a system colour is
// resolved only when painting. GUI thread only.

#include <functional>

#include "platform/gui/Colors.h"
#include "platform/gui/Containers.h"

class TColorPanel : public TPanel {
  Q_OBJECT
 public:
  explicit TColorPanel(QWidget* parent = nullptr);

  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Runs on a left-button click (empty: nothing).
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TColor color_ = clBtnFace;
};
