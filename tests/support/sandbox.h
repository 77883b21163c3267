// A private world for one test: its own HOME, XDG config, runtime folder and namespace, so that
// tests never touch the user's files and run side by side. Child processes inherit it; the
// environment is as before once the sandbox goes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scoped_environment.h"

namespace test_support {

class Sandbox {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // A path inside the sandbox's work folder.
    std::filesystem::path Native(const std::string& name) const { return root_ / "work" / name; }
    std::wstring Wide(const std::string& name) const;
    // The lines of a file of the work folder (none when it is missing).
    std::vector<std::string> Lines(const std::string& name) const;

    // Sets a further variable for the sandbox's life (e.g. a simulation switch).
    void SetEnv(const std::string& name, const std::string& value) { env_.Set(name, value); }

  private:
    std::filesystem::path root_;
    ScopedEnvironment env_;
};

}  // namespace test_support
