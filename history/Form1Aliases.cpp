// The channel aliases: DevName.dat loaded at start-up, and the alias panel ("System" / "Trend
// Name Setting") that edits them.

#include <QComboBox>
#include <QCoreApplication>

#include "history/Form1.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"

namespace {

// The channel picked in the alias panel, or -1 when none is (or it has no alias entry).
int PickedAliasChannel(const QComboBox& combo) {
  const int k = ComboItemIndex(combo);
  return k >= 0 && k < kAliasChannels ? k : -1;
}

// The alias as typed, without trailing blanks.
QString TypedAlias(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && text.at(end - 1) == QLatin1Char(' ')) --end;
  return text.left(end);
}

}  // namespace

void TForm1::LoadChannelAliases() { ShowViewMessage(view_.LoadAliases()); }

void TForm1::N2Click() {
  Panel1->setVisible(true);
  Panel1->raise();
}

void TForm1::btModChNameExitClick() { Panel1->setVisible(false); }

void TForm1::ComboBoxChNameChange() {
  const int k = PickedAliasChannel(*ComboBoxChName);
  if (k < 0) return;
  MaskEditChName->setText(QString::fromStdString(view_.ChannelAliasTable().Alias(k)));
}

void TForm1::btModChNameClick() {
  const int k = PickedAliasChannel(*ComboBoxChName);
  if (k < 0) return;
  const std::string problem =
      view_.SetAlias(k, TypedAlias(MaskEditChName->text()).toStdString());
  if (k < Chart2->SeriesCount()) {
    Chart2->Series(k)->SetTitle(QString::fromStdString(view_.ChannelAliasTable().Alias(k)));
  }
  ShowViewMessage(problem);
}
