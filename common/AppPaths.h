#pragma once
// AppDir: the station's application directory (the current directory when the main window is
// created). Every station path is AppDir followed by a relative name that begins with a backslash,
// as in "\Res\MFPara.ini"; AppPath maps such a name onto the file system (separators become '/',
// the case of every name is kept).

#include <string>
#include <string_view>

const std::string& AppDir();
void SetAppDir(std::string dir);
// The current working directory, as the system reports it.
std::string CurrentDirectory();
// AppDir + relative name, e.g. AppPath("\\Res\\MFPara.ini") -> "<AppDir>/Res/MFPara.ini".
std::string AppPath(std::string_view relativeName);
// Joins a directory and a relative name written with backslashes.
std::string JoinPath(std::string_view dir, std::string_view relativeName);
// True when a user-given file name stays inside its folder: not absolute, no "..", no empty name.
bool IsPlainRelativeName(std::string_view name);
