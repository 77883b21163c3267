// The viewer's recording folder: the REG_SZ value SavePath under HKCU "Software\Friio", read
// fresh at every use.
#pragma once

#include <string>

namespace shared {

// 1 when the key could be opened: a SavePath value with any bytes (an empty text has its
// terminating zero) replaces `path`, a missing value or one of no bytes leaves it as it was. 0
// when the key is missing.
int ReadFriioSavePath(std::wstring* path);

}  // namespace shared
