#pragma once
// TForm1: the main window of the history viewer Olvesk.
//
// The constructor builds the window's design: every control under its design name (objectName
// and public member alike), its containment and docking, its initial enabled and visible state
// and its design text (Chinese where the design has one). It wires every handler. It loads
// nothing: FormCreate, which the program entry runs right after construction, sets the start
// state, the English texts and the channel aliases.
//
// Containment: MainMenu1 (N1 / N2) at the top, StatusBar1 (five panels) at the bottom and
// PageControl1 with one sheet TabSheet5 in between. The sheet holds Panel10 on the left (the
// search group, the channel rows and the operation group) and Panel20 (Chart2 over the track
// bar tb_histr_time). Inside Chart2 lie the time-range and read-out labels, the hidden progress
// panel and the hidden alias panel.
//
// The viewer's state and rules (the open file, the page shown, the curve selection, the
// aliases; paging, search and read-out) live in THistoryView (history/parts), which the window
// holds: its handlers read the controls, call the view and show what it answers, and the window
// is the sink that the view reads records into (the chart's curves and the progress gauge).
//
// The viewer has one thread: every member below belongs to the GUI thread. Reading a file
// blocks the window; while it reads, only paint events are processed (the gauge advances),
// never user input.

#include <QElapsedTimer>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "history/OpenDialog.h"
#include "history/ReadOuts.h"
#include "history/parts/HistoryView.h"
#include "platform/gui/Colors.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QSlider;
class QSplitter;
class QTimeEdit;
class TChart;
class TColorPanel;
class TCp936Edit;
class TFastLineSeries;
class TPageControl;
class TPanel;
class TScrollBox;
class TStatusBar;
class TTabSheet;

// ---- The main window ------------------------------------------------------------------------

// The side-panel controls of one channel of the open file (Panel10's scroll box, row i at top
// 28 + 22·i). They belong to the scroll box's content and go with the window.
struct TChannelControls {
  QCheckBox* CheckBox = nullptr;      // caption: the header's channel name; checked = selected
  QLineEdit* ValueEdit = nullptr;     // the cross-hair read-out of the channel's value
  QRect ValueEditDesign;              // its place in the row; it grows for a long value
  TColorPanel* ColorPanel = nullptr;  // the colour of the channel's curve
};

class TForm1 : public QWidget, private THistoryCurveSink {
  Q_OBJECT
 public:
  static constexpr int kDesignWidth = 1039;
  static constexpr int kDesignHeight = 751;
  // Design width of the time-range label and of the time read-out over the chart.
  static constexpr int kReadOutLineWidth = 560;
  static constexpr int kReadOutLineHeight = 16;

  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Start-up: the start state, the English texts, CurrentDir and the alias table (DevName.dat in
  // the current directory, created when missing). Runs once, right after construction.
  void FormCreate();

  // The viewer's state and rules behind this window.
  THistoryView& View() { return view_; }
  const THistoryView& View() const { return view_; }

  // ---- Menu ----
  QMenuBar* MainMenu1 = nullptr;
  QMenu* N1 = nullptr;    // "System"
  QAction* N2 = nullptr;  // "Trend Name Setting": shows the alias panel

  // ---- Status bar: panel 0 shows the path of the open file ----
  TStatusBar* StatusBar1 = nullptr;

  // ---- Page control ----
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet5 = nullptr;

  // ---- Left panel: search group ----
  TPanel* Panel10 = nullptr;
  QSplitter* Splitter3 = nullptr;  // between GroupBox3 and ScrollBox_hisrt_color
  QGroupBox* GroupBox3 = nullptr;
  QPushButton* but_open_histr_data = nullptr;
  QPushButton* Button1 = nullptr;            // "Search"; disabled until the first open
  QPushButton* Button_histr_back = nullptr;  // "<<"; hidden, never shown
  QPushButton* Button_histr_next = nullptr;  // ">>"; hidden, never shown
  QLabel* Label_histr_pagecount = nullptr;   // "( pages // page )Page"; hidden, never shown
  QDateEdit* DateTimer_give_date = nullptr;  // search start: date
  QTimeEdit* DateTimer_give_time = nullptr;  // search start: time of day
  QLabel* Label2 = nullptr;
  QDateEdit* DateTimePickerEndDate = nullptr;  // search end: date
  QTimeEdit* DateTimePickerEndTime = nullptr;  // search end: time of day
  QLabel* Label23 = nullptr;
  TCp936Edit* ME_histr_down = nullptr;  // left axis minimum, text "0"
  TCp936Edit* ME_histr_up = nullptr;    // left axis maximum, text "1000"
  QPushButton* but_mod_up = nullptr;
  QComboBox* Combox_histrch_color = nullptr;  // channel picker of the colour swatch
  TColorPanel* Pnl_histr_color = nullptr;
  QLabel* Label1 = nullptr;
  TColorPanel* Panel_back_color = nullptr;

  // ---- Left panel: channel rows and operations ----
  TScrollBox* ScrollBox_hisrt_color = nullptr;
  QCheckBox* CheckBox_allhisrt_curve = nullptr;  // "ALL": checked; disabled until the first open
  TScrollBox* ScrollBox_hisrt_op = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QPushButton* Button5 = nullptr;             // "Print Preview"
  QPushButton* Button11 = nullptr;            // "Zoom In"
  QPushButton* Button12 = nullptr;            // "Zoom Out"
  QPushButton* but_unzoom = nullptr;          // "Resume"
  QPushButton* Button_expro_histr = nullptr;  // "Export to EXCEL"; disabled until the first open

  // ---- Chart panel ----
  TPanel* Panel20 = nullptr;
  TChart* Chart2 = nullptr;                   // one series per channel, series i = channel i
  QLabel* lb_histr_time = nullptr;            // "Time Range: ... to ..." after an open
  QLabel* Label_histr_oncross = nullptr;      // the cross-hair read-out
  TPanel* Panel_histread_progress = nullptr;  // hidden except while a file is read
  QProgressBar* CGauge1 = nullptr;            // read progress; its hint is its tool tip
  QSlider* tb_histr_time = nullptr;           // scroll track bar, 0 to 100

  // ---- Alias panel (inside Chart2, hidden until "Trend Name Setting") ----
  TPanel* Panel1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QComboBox* ComboBoxChName = nullptr;   // the open file's channels by header name
  TCp936Edit* MaskEditChName = nullptr;  // the alias: at most 22 code page 936 bytes
  QPushButton* btModChName = nullptr;
  QPushButton* btModChNameExit = nullptr;

  // ---- Components without a window ----
  // The open dialog of history files (filter "History Data|*.vq"); tests answer it through
  // ScopedOpenDialogHook.
  TOpenDialog open_histr_data;
  // The colour last chosen in the colour dialog shared by the curve and back colours
  // (Form1Curves.cpp); the dialog opens with it.
  TColor ColorDialog1Color = clBlack;

  // ---- Fields of the window ----
  // The side-panel rows of the open file, one per channel in channel order; empty before an open.
  std::vector<TChannelControls> ChannelControlList;
  // The cross-hair is the chart's own overlay (TChart::SetCrossHair): the window keeps no
  // position or pixels of it.
  // 1 until the first file has been read and while a page or window is read: the cross-hair
  // read-out does nothing meanwhile.
  std::uint8_t BusyReading = 1;
  // 1 while SyncTimeTrackBar sets the track bar, so that its change handler leaves the axis.
  std::uint8_t TrackBarSyncing = 0;

  // ======================================================================================
  // Handlers and steps. All run on the GUI thread; an error they raise is shown in the error
  // box and ends only that handler.
  // ======================================================================================

  // ---- Opening a history file (Form1Open.cpp) ----
  void but_open_histr_dataClick();
  // Rebuilds the side panel and both channel combo boxes for the first 128 channels of
  // `header` (REQUIRES: one series per such channel in Chart2).
  void BuildChannelPanel(const THistoryFileHeader& header);
  // Deletes every control of ChannelControlList and empties it.
  void FreeChannelPanel();

  // ---- Paging (Form1Paging.cpp) ----
  void Button_histr_nextClick();
  void Button_histr_backClick();

  // ---- Time-window search (Form1Search.cpp) ----
  void Button1Click();

  // ---- Channel aliases (Form1Aliases.cpp) ----
  // Loads the view's alias table from CurrentDir + "/DevName.dat", creating the file when
  // missing; a problem is told in a message box.
  void LoadChannelAliases();
  void N2Click();
  void btModChNameExitClick();
  void ComboBoxChNameChange();
  void btModChNameClick();

  // ---- Chart navigation and cross-hair read-out (Form1Navigation.cpp) ----
  void but_mod_upClick();
  void Button11Click();
  void Button12Click();
  // Undoes any zoom of Chart2; also the last step of opening, paging and searching.
  void but_unzoomClick();
  void tb_histr_timeChange();
  void Chart2Zoom();
  void Chart2Scroll();
  void Chart2UndoZoom();
  void SyncTimeTrackBar();
  void Button5Click();
  void Chart2MouseMove(Qt::KeyboardModifiers shift, int x, int y);
  // Shows the cross-hair through (x, y), in place of the one shown before.
  void DrawCrossHair(int x, int y);
  // Bound to the AfterDrawValues of the series that opening, paging (series 0 only) and
  // searching create: a redrawn picture comes without the cross-hair, until the mouse moves.
  void Series65AfterDrawValues();
  // Wires Chart2's own events (zoom, scroll, undo zoom, mouse move) to the handlers above;
  // called once by the constructor. The buttons and the track bar are wired by the constructor.
  void ConnectChartHandlers();

  // ---- Curve visibility and colours (Form1Curves.cpp) ----
  // Bound to every channel check box's state change (BuildChannelPanel).
  void CheckBox_all_histr_curveClick();
  void CheckBox_allhisrt_curveClick();
  void Combox_histrch_colorChange();
  void Pnl_histr_colorClick();
  void Panel_back_colorClick();

  // ---- Export of a time range (Form1Export.cpp) ----
  void Button_expro_histrClick();

 private:
  void BuildSearchGroup();
  void BuildOperationGroup();
  void BuildChartPanel();
  void BuildAliasPanel();
  void ConnectHandlers();
  void SetEnglishTexts();

  // ---- Reading (Form1Open.cpp) ----
  // Steps of an open once the view has taken the file: curves, side panel, pickers, labels.
  void ShowOpenedFile();
  // The page label and the page buttons after a page has been read (by an open or paging), and
  // the refusal of a file that can no longer be shown.
  void ShowPageTurn(const THistoryView::TPageTurn& turn);
  // Series65AfterDrawValues becomes the series' AfterDrawValues.
  void BindAfterDrawValues(TFastLineSeries& series);
  // Removes every series of Chart2 and adds `channels` new ones with room for `points` points
  // each; their titles, colours and AfterDrawValues are left to the caller.
  void ReplaceSeries(int channels, std::int64_t points);
  // Tells a refusal or a notice in a message box.
  void ShowViewMessage(const std::string& text) const;
  // The last steps of every reading handler, whatever its outcome: progress hidden, zoom undone.
  void FinishReading();

  // ---- The sink the view reads records into (Form1Open.cpp) ----
  // The picture of Chart2 is held; BusyReading is 1 from BeginReading to EndReading; the curves
  // are Chart2's series; the progress panel and CGauge1 show the reading, and the window is
  // repainted (paint events only) as it goes.
  void BeginUpdate() override;
  void EndUpdate() override;
  void BeginReading() override;
  void EndReading() override;
  int CurveCount() const override;
  void ReplaceCurves(TCurves kind, int curves, std::int64_t points) override;
  void RemoveCurves() override;
  void RememberCurves() override;
  void RestoreCurves(std::int64_t points) override;
  void BeginRecords(std::int64_t records, std::int64_t firstLabelMs,
                    std::int64_t intervalMs) override;
  void AddRecords(const float* values, int records, int recordValues, int curves) override;
  void RecordsRead(std::int64_t done) override;

  // What a curve shows besides its points: what RememberCurves keeps.
  struct TCurveLook {
    TColor Color = clRed;
    QString Title;
    bool Active = true;
    bool LineVisible = true;
    int LineWidth = 1;
    bool AfterDrawValues = false;
  };

  THistoryView view_;
  TReadOuts readOuts_;
  std::vector<TCurveLook> rememberedCurves_;
  QElapsedTimer sinceRepaint_;  // since the window was last repainted while reading
};

// The main window; set by its constructor, cleared by its destructor.
extern TForm1* Form1;
