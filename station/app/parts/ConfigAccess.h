#pragma once
// What the main window lets the operator reach of the stored configuration (Config.dat and the
// ini files under Res). No Qt; GUI thread only.
//
// Start-up: the window writes those files only through the sign-in, the editing and batch-add
// buttons, the SMS page's Save and the trend's back-colour and range controls, and all of them
// stay shut until the start-up sequence has run to its end. A sequence that stopped at a failing
// step leaves the window in its design state with nothing loaded (an empty table, no password):
// a save from there would write that state over the operator's configuration. The station is
// restarted once the cause is mended.
//
// Modes: the station is in run mode (polling, supervising, the configuration locked) or in
// configuration mode (entered through the sign-in; nothing polled, measured or sent). Before
// start-up has entered run mode it is in neither.
//
// Sign-in: when Config.dat's password field could not be read, the password in memory is not the
// operator's: no entry signs in (not even an empty one), and the sign-in dialog says why.

#include <string>
#include <utility>

class TConfigAccess {
 public:
  // The start-up sequence ran to its end: the stored configuration is loaded and run mode on.
  void CompleteStartup() { startupCompleted_ = true; }
  // The write paths may open (each in its mode).
  bool WritesOpen() const { return startupCompleted_; }

  // The mode switches mark the mode they have entered: run mode at the end of its entry,
  // configuration mode at the start of its own.
  void RunModeEntered() { runMode_ = true; }
  void ConfigModeEntered() { runMode_ = false; }
  bool InRunMode() const { return runMode_; }

  // The result of loading the stored password: empty when it was read, else why it was not.
  void PasswordLoaded(std::string unreadReason) { unreadReason_ = std::move(unreadReason); }
  // "Config.dat cannot be read: <reason>" when the stored password could not be read; empty
  // when it was.
  std::string SignInRefusal() const;

 private:
  bool startupCompleted_ = false;
  bool runMode_ = false;
  std::string unreadReason_;
};

inline std::string TConfigAccess::SignInRefusal() const {
  if (unreadReason_.empty()) return {};
  return "Config.dat cannot be read: " + unreadReason_;
}

// Whether the sign-in dialog's entry opens configuration mode: only the stored password itself
// (the same bytes, the same length), and nothing while `refusal` (SignInRefusal's text) is set.
inline bool SignInAccepted(const std::string& entry, const std::string& password,
                           const std::string& refusal) {
  return refusal.empty() && entry == password;
}
