#pragma once
// Whether the captions of a window can be read whole: each text is measured with its control's
// font (glyphs that the face lacks are measured in the face that draws them) against the
// rectangle that the control's style gives the text. GUI thread only.
//
// Checked: buttons and check boxes (their label area), labels (their contents
// rectangle; a label that wraps must still take one line), group-box titles (within the box),
// the tabs of tab bars, and the header row and fixed column of string grids (a grid drawn by its
// own handler is taken to use the whole cell, as the station's handlers do). Only what the user
// can see is checked: every tab of every page control in the window is brought to the front in
// turn, hidden tabs and hidden controls are left out. Controls without text are passed over.

#include <QString>
#include <QStringList>

class QWidget;

// One line per control whose text does not fit, naming the control by its objectName (with its
// kind and its window), the text, the size the text needs and the size it has.
// Shows `window` (it stays shown) and settles its layouts first; the current tab of every page
// control is the same afterwards as before.
QStringList TextFitProblems(QWidget& window);

// "objectName: family pixelSize" of the face the window's texts are drawn in.
QString WindowFace(const QWidget& window);
