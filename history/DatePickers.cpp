#include "history/DatePickers.h"

#include <QDateEdit>
#include <QTimeEdit>

namespace {

// The runtime's first date; Qt's own default minimum (1752) would refuse older file times.
const QDate kFirstPickerDate(1, 1, 1);

template <class Picker>
Picker* NewPicker(QWidget* parent, const QString& format) {
  auto* picker = new Picker(parent);
  picker->setTimeSpec(Qt::UTC);
  picker->setMinimumDate(kFirstPickerDate);
  picker->setDisplayFormat(format);
  return picker;
}

}  // namespace

QDateEdit* NewDatePicker(QWidget* parent) {
  return NewPicker<QDateEdit>(parent, QStringLiteral("yyyy-MM-dd"));
}

QTimeEdit* NewTimePicker(QWidget* parent) {
  return NewPicker<QTimeEdit>(parent, QStringLiteral("HH:mm:ss"));
}

TDateTime PickerDateTime(const QDateTimeEdit& picker) {
  const QDateTime value = picker.dateTime();
  const QDate date = value.date();
  const QTime time = value.time();
  return EncodeDateTime({date.year(), date.month(), date.day(), time.hour(), time.minute(),
                         time.second(), time.msec()});
}

void SetPickerDateTime(QDateTimeEdit& picker, TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  picker.setDateTime(QDateTime(QDate(p.Year, p.Month, p.Day),
                               QTime(p.Hour, p.Minute, p.Second, p.Millisecond), Qt::UTC));
}

TDateTime CombineDateAndTime(TDateTime date, TDateTime timeOfDay) {
  const DateTimeParts day = DecodeDateTime(date);
  const DateTimeParts time = DecodeDateTime(timeOfDay);
  return EncodeDateTime(
      {day.Year, day.Month, day.Day, time.Hour, time.Minute, time.Second, time.Millisecond});
}

TDateTime PickedDateTime(const QDateTimeEdit& datePicker, const QDateTimeEdit& timePicker) {
  return CombineDateAndTime(PickerDateTime(datePicker), PickerDateTime(timePicker));
}
