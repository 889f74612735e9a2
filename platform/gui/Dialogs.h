#pragma once
// The application's error box, message boxes and modal dialogs, and the guard that keeps an
// exception from ever leaving an event handler.
//
// Each of the three boxes goes through a hook. The program uses the real boxes; a test installs
// a function that records the call and answers for the user (Scoped*Hook below), so nothing
// waits for a click. Hooks and boxes belong to the GUI thread: call them from nowhere else.

#include <QString>

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

#include "platform/ScopedHook.h"

class QDialog;

// Results of message boxes and modal dialogs (the numbers of the platform's box results, which
// are also the modal results of forms: 1 = OK, 2 = Cancel, 6 = Yes, 7 = No; 0 = none).
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

enum class TMsgButtons { Ok, OkCancel, YesNo };

using ErrorBoxHook = std::function<void(const QString& text)>;
using MessageBoxHook =
    std::function<int(const QString& text, const QString& caption, TMsgButtons buttons)>;
using ModalHook = std::function<int(QDialog& dialog)>;

// The application's error box: the text of an error that ended a handler or a start-up step.
void ShowErrorBox(const QString& text);
// A modal message box; returns the TModalResult of the button pressed.
int ShowMessageBox(const QString& text, const QString& caption,
                   TMsgButtons buttons = TMsgButtons::Ok);
// Shows the dialog modally and returns its result (QDialog::exec for real).
int RunModal(QDialog& dialog);

// Install a hook and return the one it replaces; an empty function restores the real box.
ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook);
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
ModalHook SetModalHook(ModalHook hook);

// While one of these lives, its hook replaces the box; the previous hook comes back after.
using ScopedErrorBoxHook = ScopedHook<ErrorBoxHook, &SetErrorBoxHook>;
using ScopedMessageBoxHook = ScopedHook<MessageBoxHook, &SetMessageBoxHook>;
using ScopedModalHook = ScopedHook<ModalHook, &SetModalHook>;

// The text an error box shows for a caught exception: what() as UTF-8 for a std::exception,
// the empty text for any other thrown object.
QString ExceptionText(std::exception_ptr error);

// Runs `body`; an exception escaping it is shown in the error box and ends only `body`.
// Returns true when `body` ran to its end.
bool RunGuarded(const std::function<void()>& body);

// Wraps an event handler for connect(): the wrapper runs the handler under RunGuarded, so an
// exception ends that handler, shows the error box once and never reaches Qt. The wrapper takes
// the leading signal arguments that the handler accepts (a handler without parameters can be
// connected to clicked(bool)).
template <class Handler>
auto Guarded(Handler handler) {
  return [handler = std::move(handler)](auto&&... args)
             -> std::enable_if_t<std::is_invocable_v<const Handler&, decltype(args)...>> {
    RunGuarded([&] { handler(std::forward<decltype(args)>(args)...); });
  };
}
