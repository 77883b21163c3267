// The viewer's recording folder: the REG_SZ value SavePath under HKCU "Software\Friio", read
// fresh at every use.
#pragma once

#include <string>

namespace shared {

// 1 when the key could be opened: a non-empty SavePath replaces `path`, a missing or empty one
// leaves it as it was. 0 when the key is missing.
int ReadFriioSavePath(std::wstring* path);

}  // namespace shared
