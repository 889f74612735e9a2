#pragma once
// The colour dialog of the history window, shared by the curve colour and the chart's back
// colour. It opens with the colour last chosen in it. Execute goes through a process-wide hook,
// so that a test chooses a colour (or cancels) without a dialog. GUI thread only.

#include <functional>
#include <optional>

#include "platform/ScopedHook.h"
#include "platform/gui/Colors.h"

class QWidget;

// Shows the dialog modally over `parent`, starting at `initial`. The colour chosen, or nothing
// when the user cancelled.
std::optional<TColor> ExecuteColorDialog(QWidget* parent, TColor initial);

// Answers the colour dialog in place of the user: called with the colour it would open with.
using ColorDialogHook = std::function<std::optional<TColor>(TColor initial)>;
ColorDialogHook SetColorDialogHook(ColorDialogHook hook);

using ScopedColorDialogHook = ScopedHook<ColorDialogHook, &SetColorDialogHook>;
