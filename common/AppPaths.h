#pragma once
// AppDir: the station's application directory (the current directory when the main window is
// created). Every station path is AppDir followed by a relative name that begins with a backslash,
// as in "\Res\MFPara.ini"; AppPath maps such a name onto the file system (separators become '/',
// the case of every name is kept).

#include <string>
#include <string_view>

#include "platform/JoinPath.h"  // JoinPath, which AppPath applies: every user of these paths has it

// The application directory; empty until SetAppDir. Safe from any thread. The reference stays
// valid for the life of the process, also across a later SetAppDir (which start-up calls once).
const std::string& AppDir();
void SetAppDir(std::string dir);
// The current working directory, as the system reports it. Raises Exception when the system
// cannot say (a directory removed under the process, for one).
std::string CurrentDirectory();
// AppDir + relative name, e.g. AppPath("\\Res\\MFPara.ini") -> "<AppDir>/Res/MFPara.ini".
std::string AppPath(std::string_view relativeName);
// True when a user-given file name stays inside its folder: not empty, not absolute (no leading
// '/' or '\\', no drive prefix such as "C:"), no ".." part, no empty part ("a//b", "a/"), no NUL.
bool IsPlainRelativeName(std::string_view name);
