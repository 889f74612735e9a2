// "Export to EXCEL" of the history window: the export dialog for the open file.

#include "history/ExportForm.h"
#include "history/Form1.h"
#include "platform/gui/Dialogs.h"

void TForm1::Button_expro_histrClick() {
  // The dialog belongs to the application, not to this window, and lives for one showing.
  // It reads the open file, its bounds and the curve selection from the view at each export.
  TForm2 dialog(view_);
  dialog.ShowFileRange(view_.HistoryViewState().FileStartTime,
                       view_.HistoryViewState().FileEndTime);
  RunModal(dialog);
}
