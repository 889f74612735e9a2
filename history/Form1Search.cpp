// "Search": every record of the open file from a start to an end time, read whole (no page
// limit) into new curves that keep the side panel's colours and the aliases as titles.

#include <QDateEdit>
#include <QTimeEdit>

#include "history/DatePickers.h"
#include "history/Form1.h"

void TForm1::Button1Click() {
  const std::int64_t startMs =
      DateTimeToMs(PickedDateTime(*DateTimer_give_date, *DateTimer_give_time));
  const std::int64_t endMs =
      DateTimeToMs(PickedDateTime(*DateTimePickerEndDate, *DateTimePickerEndTime));
  const THistoryView::TSearchOutcome found = view_.Search(startMs, endMs, *this);
  // A range refused leaves everything as it was, the zoom too.
  if (!found.RangeRefusal.empty()) {
    ShowViewMessage(found.RangeRefusal);
    return;
  }
  ShowViewMessage(found.Refusal);
  FinishReading();
}
