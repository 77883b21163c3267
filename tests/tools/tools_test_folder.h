// A fresh, empty folder for one test's world, removed with the program's private root at its end.
#pragma once

#include <filesystem>
#include <string>

namespace tools_test {

std::filesystem::path FreshFolder(const std::string& name);

}  // namespace tools_test
