// Turns a programme title into a name every file system accepts: the characters Windows refuses
// in file names become their full-width look-alikes.
#pragma once

#include <string>

namespace shared {

// \ / : * ? " < > | become ￥ ／ ： ＊ ？ ” ＜ ＞ ｜, in place.
void SanitizeFileName(std::wstring& name);

}  // namespace shared
