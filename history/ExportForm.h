#pragma once
// TForm2: the export dialog of the history viewer ("Time Range Setting"), and its save dialog.
//
// A modal dialog created for one showing by "Export to EXCEL" and destroyed when it closes; the
// global Form2 points to it meanwhile. The user picks a start and an end (date picker + time
// picker each) within the open file and a sampling step (Edit1: records skipped after each
// exported one), then Button1 writes the export (history/parts/ExportFile.h) to the file chosen
// in SaveDialog_histr. The dialog stays open after an export, so several ranges can be written;
// it closes by its window's close button.
//
// Button1 reads what it exports from the view the dialog is given (the open file's path and
// bounds, the curve selection) at the press. Refusals, each with a message box and nothing
// written: a range outside the file or a start after the end ("The Time Range is not
// correct!"), a step that is not a whole number of at least 0, a history file the viewer cannot
// show (HistoryFileRefusal), an export file that cannot be created or written. A history file
// that can no longer be opened ends the press silently. GUI thread only.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "common/DateTime.h"
#include "platform/ScopedHook.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimeEdit;
class THistoryView;

// The save dialog of a window design: a "Description|*.ext" filter and a default extension that
// a typed name without one receives. An existing file is replaced without asking. Execute goes
// through a process-wide hook so that a test picks the target (or cancels) without a dialog.
class TSaveDialog {
 public:
  TSaveDialog(QString filter, QString defaultExt)
      : filter_(std::move(filter)), defaultExt_(std::move(defaultExt)) {}

  const QString& Filter() const { return filter_; }
  const QString& DefaultExt() const { return defaultExt_; }
  // The full path last chosen; empty before.
  const QString& FileName() const { return fileName_; }

  // Shows the dialog modally over `parent`. True when a file was chosen (FileName holds it).
  bool Execute(QWidget* parent);

 private:
  QString filter_;
  QString defaultExt_;
  QString fileName_;
};

// Answers a save dialog in place of the user: the path chosen, or nothing for a cancel.
using SaveDialogHook = std::function<std::optional<QString>(const TSaveDialog& dialog)>;
SaveDialogHook SetSaveDialogHook(SaveDialogHook hook);

using ScopedSaveDialogHook = ScopedHook<SaveDialogHook, &SetSaveDialogHook>;

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 337;
  static constexpr int kClientHeight = 211;

  // Builds the dialog with its English texts and sets Form2; it exports from `view`, which must
  // outlive it. No parent: it belongs to the application, not to the main window.
  explicit TForm2(const THistoryView& view, QWidget* parent = nullptr);
  // Clears Form2.
  ~TForm2() override;

  // The valid range label and the four pickers: start pickers at fileStart, end pickers at
  // fileEnd.
  void ShowFileRange(TDateTime fileStart, TDateTime fileEnd);

  QLabel* Label_histr_timerange = nullptr;
  QLabel* Label1 = nullptr;  // "Starting Time"
  QDateEdit* DateTimePicker_histr_startdate = nullptr;
  QTimeEdit* DateTimePicker_histr_starttime = nullptr;
  QLabel* Label2 = nullptr;  // "End Time"
  QDateEdit* DateTimePicker_histr_enddate = nullptr;
  QTimeEdit* DateTimePicker_histr_endtime = nullptr;
  QLabel* Label3 = nullptr;         // "Interval Time"
  QLineEdit* Edit1 = nullptr;       // the sampling step, "0" at creation
  QPushButton* Button1 = nullptr;   // "Export to Excel"
  QProgressBar* CGauge1 = nullptr;  // export progress: lines written, moved every few lines
  TSaveDialog SaveDialog_histr;

  // The export (see the class comment).
  void Button1Click();

 private:
  void ExportRange(TDateTime start, TDateTime end, std::int32_t step);
  void Message(const QString& text);

  const THistoryView& view_;
};

// The export dialog while it exists; null otherwise.
extern TForm2* Form2;
