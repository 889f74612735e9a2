#include "history/ExportForm.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>

#include <algorithm>

#include "history/DatePickers.h"
#include "history/OpenDialog.h"
#include "history/parts/ExportFile.h"
#include "history/parts/HistoryView.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"

TForm2* Form2 = nullptr;

namespace {

const char kExportFilter[] = "Excel文件|*.xls";
const char kExportExt[] = "xls";
// Nine blanks close the valid range text, as they close the main window's time range.
const char kRangeTail[] = "         ";
const char kRangeRefused[] = "The Time Range is not correct!";
const char kStepRefused[] = "The Interval Time must be a whole number of at least 0!";
const char kExportDone[] = "Data Export is finished!";
// Moves of the export gauge over its whole range (far more than its pixels or percent steps).
constexpr int kGaugeSteps = 1000;

HookSeam<SaveDialogHook>& Hook() {
  static HookSeam<SaveDialogHook> seam;
  return seam;
}

template <class Control>
Control* Placed(Control* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(left, top, width, height);
  return control;
}

QString DisplayTime(TDateTime value) {
  return QString::fromStdString(FormatDateTime(kDisplayDateTimePattern, value));
}

}  // namespace

// ---- Save dialog --------------------------------------------------------------------------------

bool TSaveDialog::Execute(QWidget* parent) {
  std::optional<QString> chosen;
  if (const SaveDialogHook& hook = Hook().Get()) {
    chosen = hook(*this);
  } else {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QtFileFilter(filter_));
    dialog.setDefaultSuffix(defaultExt_);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      chosen = dialog.selectedFiles().constFirst();
    }
  }
  if (!chosen) return false;
  fileName_ = *chosen;
  return true;
}

SaveDialogHook SetSaveDialogHook(SaveDialogHook hook) {
  return Hook().Set(std::move(hook));
}

// ---- The dialog ---------------------------------------------------------------------------------

TForm2::TForm2(const THistoryView& view, QWidget* parent)
    : QDialog(parent),
      SaveDialog_histr(QString::fromUtf8(kExportFilter), QString::fromLatin1(kExportExt)),
      view_(view) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Time Range Setting"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(DesignFont(kDesignFontPixelSize));

  Label_histr_timerange = Placed(new QLabel(this), "Label_histr_timerange", 8, 4, 321, 30);
  Label_histr_timerange->setWordWrap(true);
  Label1 = Placed(new QLabel(QStringLiteral("Starting Time"), this), "Label1", 8, 44, 84, 16);
  DateTimePicker_histr_startdate =
      Placed(NewDatePicker(this), "DateTimePicker_histr_startdate", 96, 40, 113, 22);
  DateTimePicker_histr_starttime =
      Placed(NewTimePicker(this), "DateTimePicker_histr_starttime", 216, 40, 113, 22);
  Label2 = Placed(new QLabel(QStringLiteral("End Time"), this), "Label2", 8, 76, 84, 16);
  DateTimePicker_histr_enddate =
      Placed(NewDatePicker(this), "DateTimePicker_histr_enddate", 96, 72, 113, 22);
  DateTimePicker_histr_endtime =
      Placed(NewTimePicker(this), "DateTimePicker_histr_endtime", 216, 72, 113, 22);
  Label3 = Placed(new QLabel(QStringLiteral("Interval Time"), this), "Label3", 8, 108, 84, 16);
  Edit1 = Placed(new QLineEdit(QStringLiteral("0"), this), "Edit1", 96, 104, 113, 22);
  Button1 = Placed(new QPushButton(QStringLiteral("Export to Excel"), this), "Button1", 216, 102,
                   113, 26);
  CGauge1 = Placed(new QProgressBar(this), "CGauge1", 8, 148, 321, 24);
  CGauge1->setRange(0, 100);
  CGauge1->setValue(0);

  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
  Form2 = this;
}

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::ShowFileRange(TDateTime fileStart, TDateTime fileEnd) {
  Label_histr_timerange->setText(QStringLiteral("Valid Time Range: ") + DisplayTime(fileStart) +
                                 QStringLiteral(" To ") + DisplayTime(fileEnd) +
                                 QString::fromLatin1(kRangeTail));
  SetPickerDateTime(*DateTimePicker_histr_startdate, fileStart);
  SetPickerDateTime(*DateTimePicker_histr_starttime, fileStart);
  SetPickerDateTime(*DateTimePicker_histr_enddate, fileEnd);
  SetPickerDateTime(*DateTimePicker_histr_endtime, fileEnd);
}

void TForm2::Button1Click() {
  const TDateTime start =
      PickedDateTime(*DateTimePicker_histr_startdate, *DateTimePicker_histr_starttime);
  const TDateTime end =
      PickedDateTime(*DateTimePicker_histr_enddate, *DateTimePicker_histr_endtime);
  const THistoryViewState& state = view_.HistoryViewState();
  if (!ExportRangeIsValid(start, end, state.FileStartTime, state.FileEndTime)) {
    Message(QString::fromLatin1(kRangeRefused));
    return;
  }
  // Checked before anything is written: a negative step would walk backwards through the file.
  const std::optional<std::int32_t> step = ParseExportStep(Edit1->text().toStdString());
  if (!step) {
    Message(QString::fromLatin1(kStepRefused));
    return;
  }
  ExportRange(start, end, *step);
}

void TForm2::ExportRange(TDateTime start, TDateTime end, std::int32_t step) {
  HistoryExport exporter;
  const FileStatus opened = exporter.Open(view_.HistoryViewState().HistoryFilePath);
  if (!opened.ok()) {
    // A file that is gone or unreadable ends the press quietly; one that cannot be exported
    // says why.
    if (opened.Error == FileError::BadContent) Message(QString::fromStdString(opened.Message));
    return;
  }
  CGauge1->setMaximum(ProgressMaximum(exporter.IntervalCount(start, end)));
  CGauge1->setValue(0);
  if (!SaveDialog_histr.Execute(this)) return;

  // The gauge counts the lines written. It is moved in steps finer than its bar and its percent
  // text can show, not at every line: each move makes it measure its text anew.
  const int lineStep = std::max(1, CGauge1->maximum() / kGaugeSteps);
  int lines = 0;
  const FileStatus written =
      exporter.Write(SaveDialog_histr.FileName().toStdString(), start, end, step,
                     view_.CurveSelectedFlags(), [&] {
                       if (++lines % lineStep == 0) CGauge1->setValue(lines);
                     });
  CGauge1->setValue(std::min(lines, CGauge1->maximum()));
  Message(written.ok() ? QString::fromLatin1(kExportDone)
                       : QString::fromStdString(written.Message));
  CGauge1->setValue(0);
}

void TForm2::Message(const QString& text) {
  ShowMessageBox(text, QCoreApplication::applicationName());
}
