#pragma once
// The open dialog of a window design: a filter in the design's "Description|*.ext" form and the
// file the user picked. Execute goes through a process-wide hook, so that a test picks the file
// (or cancels) without a dialog. GUI thread only.

#include <QString>
#include <functional>
#include <optional>
#include <utility>

#include "platform/ScopedHook.h"

class QWidget;

class TOpenDialog {
 public:
  explicit TOpenDialog(QString filter) : filter_(std::move(filter)) {}

  const QString& Filter() const { return filter_; }
  // The full path of the file last picked; empty before.
  const QString& FileName() const { return fileName_; }

  // Shows the dialog modally over `parent`. True when a file was picked (FileName holds it),
  // false when the user cancelled (FileName keeps its value).
  bool Execute(QWidget* parent);

 private:
  QString filter_;
  QString fileName_;
};

// The design's filter "Text|pattern|Text|pattern" as a Qt file dialog filter
// ("Text (pattern);;Text (pattern)").
QString QtFileFilter(const QString& designFilter);

// Answers an open dialog in place of the user: the path picked, or nothing for a cancel.
using OpenDialogHook = std::function<std::optional<QString>(const QString& filter)>;
OpenDialogHook SetOpenDialogHook(OpenDialogHook hook);

using ScopedOpenDialogHook = ScopedHook<OpenDialogHook, &SetOpenDialogHook>;
