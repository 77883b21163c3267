// A private home folder for one test: HOME and XDG_CONFIG_HOME point into a fresh temporary
// folder, so the timer's data folder (<Documents>/Orvandel: AutoSearch.txt, Program.txt,
// ChSet.txt) lies there, and the timer's ini file is a file of its own. Everything is as before
// once the object goes.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/scoped_environment.h"

namespace timer_ui_test {

class PrivateHome {
  public:
    PrivateHome();
    ~PrivateHome();
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    // The timer's ini file (not created).
    std::wstring IniPath() const;
    // <Documents>/Orvandel/<name>.
    std::filesystem::path DataFile(const std::string& name) const;

    // The bytes of a file ("" when it is missing), and writing a file with its folder.
    static std::string Read(const std::filesystem::path& path);
    static void Write(const std::filesystem::path& path, const std::string& bytes);

  private:
    std::filesystem::path root_;
    test_support::ScopedEnvironment env_;
};

}  // namespace timer_ui_test
