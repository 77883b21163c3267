#include "tests/support/scoped_environment.h"

#include <algorithm>
#include <cstdlib>

namespace test_support {
namespace {

void Apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

}  // namespace

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_)
        Apply(name, value);
}

void ScopedEnvironment::Set(const std::string& name, const std::optional<std::string>& value) {
    Preserve(name);
    Apply(name, value);
}

void ScopedEnvironment::Preserve(const std::string& name) {
    const bool known = std::any_of(saved_.begin(), saved_.end(),
                                   [&](const auto& entry) { return entry.first == name; });
    if (known) return;
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
}

}  // namespace test_support
