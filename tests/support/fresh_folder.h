// Folders of one test program's own below the temporary folder: one private root per program,
// made at its first use and removed when the program's tests have ended.
#pragma once

#include <filesystem>
#include <string>

namespace test_support {

// The program's private root ("orvandel-<prefix>-XXXXXX" in the temporary folder); the prefix
// of the first call names it.
const std::filesystem::path& PrivateTestRoot(const std::string& prefix = "tests");

// A fresh, empty folder below the private root for one test: "<name>-<n>", n counting up.
std::filesystem::path FreshFolder(const std::string& name);

}  // namespace test_support
