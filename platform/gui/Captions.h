#pragma once
// The text a control shows, whatever its kind: a button's, check box's or label's caption, a
// group box's title, a tab sheet's tab text, an edit's or memo's text, a combo box's selected
// item (or the text it shows while no item is selected), a window's title. Lets window code set
// its texts from one table, and tests read them back. GUI thread only.

#include <QString>

class QWidget;

QString ControlText(const QWidget& control);
// Raises Exception for a control that has no text of its own (a grid, a panel).
void SetControlText(QWidget& control, const QString& text);
