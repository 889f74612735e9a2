#pragma once
// Joining a directory and a relative name: the one rule the programs' paths are built by, from
// the application directory's "\Res\MFPara.ini" names to the COM ports' links.

#include <string>
#include <string_view>

// Joins a directory and a relative name written with backslashes: the name's leading separators
// are dropped, its backslashes become '/', and exactly one '/' stands between the two ("/" and
// "\\Res" give "/Res"). An empty directory leaves the name relative ("Res/MFPara.ini"), never
// rooted. The name is not checked: pass user-given names through IsPlainRelativeName first.
std::string JoinPath(std::string_view dir, std::string_view relativeName);
