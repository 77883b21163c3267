// Where the named objects of this user (and of the ORVANDEL_NAMESPACE, when set) live: lock files,
// sockets, shared-memory bookkeeping, the window registry. Private to the user (mode 0700).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The namespace given by ORVANDEL_NAMESPACE, or empty.
std::string CurrentNamespace();
// The namespace that a value of ORVANDEL_NAMESPACE names (what CurrentNamespace gives for it).
std::string NamespaceFromValue(std::string_view value);

// $XDG_RUNTIME_DIR/orvandel[/<namespace>] (or /tmp/orvandel-<uid>/... without XDG_RUNTIME_DIR),
// created on first use.
std::filesystem::path RuntimeFolder();

}  // namespace platform
