#pragma once
// The date and time pickers of the history windows: a QDateEdit shows the date and a QTimeEdit
// the time of day of one TDateTime each, and both keep the whole value (to the millisecond).
// A search or export range is the date of its date picker combined with the time of day of its
// time picker. The pickers run on UTC internally so that no local daylight-saving gap can
// shift a value. GUI thread only.

#include "common/DateTime.h"

class QDateEdit;
class QDateTimeEdit;
class QTimeEdit;
class QWidget;

QDateEdit* NewDatePicker(QWidget* parent);
QTimeEdit* NewTimePicker(QWidget* parent);

// The picker's whole value (date and time of day), in whole milliseconds.
TDateTime PickerDateTime(const QDateTimeEdit& picker);
// Sets the picker's whole value, rounded to whole milliseconds.
void SetPickerDateTime(QDateTimeEdit& picker, TDateTime value);

// The date of `date` with the time of day of `timeOfDay`, in whole milliseconds.
TDateTime CombineDateAndTime(TDateTime date, TDateTime timeOfDay);
// The date of the date picker combined with the time of day of the time picker.
TDateTime PickedDateTime(const QDateTimeEdit& datePicker, const QDateTimeEdit& timePicker);
