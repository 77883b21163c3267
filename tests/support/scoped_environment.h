// Environment variables set for as long as an object lives: a test or a fixture sets what its
// processes and the code under test read, and the variables are as before once it ends.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

class ScopedEnvironment {
  public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    // Sets (or, with nullopt, removes) the variable; the first change of each name remembers the
    // value to restore.
    void Set(const std::string& name, const std::optional<std::string>& value);
    // Remembers the variable as it is now, for code that sets it by other means.
    void Preserve(const std::string& name);

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace test_support
