#pragma once
// TAboutBox: the viewer's about box (caption "About", the program icon, four lines of product
// and contact text, an OK button). The program entry creates it at start; nothing shows it, and
// it lives until the program ends. GUI thread only.

#include <QDialog>

class QLabel;
class QPushButton;
class TPanel;

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  ~TAboutBox() override;

  TPanel* Panel1 = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Comments = nullptr;
  QPushButton* OKButton = nullptr;  // the default button

  // Closes the about box.
  void OKButtonClick();
};

// The about box; set by its constructor, cleared by its destructor.
extern TAboutBox* AboutBox;
