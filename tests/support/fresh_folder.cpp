#include "tests/support/fresh_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>

namespace test_support {
namespace {

class RemovePrivateRoot : public ::testing::Environment {
  public:
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(PrivateTestRoot(), ec);
    }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new RemovePrivateRoot);

}  // namespace

const std::filesystem::path& PrivateTestRoot(const std::string& prefix) {
    // Never destroyed: removed by the environment's tear-down, after every test.
    static const std::filesystem::path& root = *new std::filesystem::path([&] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("orvandel-" + prefix + "-XXXXXX")).string();
        const char* made = ::mkdtemp(pattern.data());
        return made != nullptr ? std::filesystem::path(made) : std::filesystem::path(pattern);
    }());
    return root;
}

std::filesystem::path FreshFolder(const std::string& name) {
    static std::atomic<int> counter = 0;
    const auto folder = PrivateTestRoot() / (name + "-" + std::to_string(++counter));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace test_support
