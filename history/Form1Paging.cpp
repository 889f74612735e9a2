// ">>" and "<<": the next and the previous page of 20,000 records of the open file. Both read
// the file again for every page; they change only the curves, the page state, the page label
// and the two buttons.

#include "history/Form1.h"

void TForm1::Button_histr_nextClick() {
  ShowPageTurn(view_.NextPage(*this));
  FinishReading();
}

void TForm1::Button_histr_backClick() {
  ShowPageTurn(view_.PreviousPage(*this));
  FinishReading();
}
