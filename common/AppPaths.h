#pragma once
// AppDir: the station's application directory (the current directory when the main window is
// created). Every station path is AppDir followed by a relative name that begins with a backslash,
// as in "\Res\MFPara.ini"; AppPath maps such a name onto the file system (separators become '/',
// the case of every name is kept).

#include <string>
#include <string_view>

// The application directory; empty until SetAppDir. Safe from any thread. The reference stays
// valid for the life of the process, also across a later SetAppDir (which start-up calls once).
const std::string& AppDir();
void SetAppDir(std::string dir);
// The current working directory, as the system reports it. Raises Exception when the system
// cannot say (a directory removed under the process, for one).
std::string CurrentDirectory();
// AppDir + relative name, e.g. AppPath("\\Res\\MFPara.ini") -> "<AppDir>/Res/MFPara.ini".
std::string AppPath(std::string_view relativeName);
// Joins a directory and a relative name written with backslashes: the name's leading separators
// are dropped, its backslashes become '/', and exactly one '/' stands between the two ("/" and
// "\\Res" give "/Res"). An empty directory leaves the name relative ("Res/MFPara.ini"), never
// rooted. The name is not checked: pass user-given names through IsPlainRelativeName first.
std::string JoinPath(std::string_view dir, std::string_view relativeName);
// True when a user-given file name stays inside its folder: not empty, not absolute (no leading
// '/' or '\\', no drive prefix such as "C:"), no ".." part, no empty part ("a//b", "a/"), no NUL.
bool IsPlainRelativeName(std::string_view name);
