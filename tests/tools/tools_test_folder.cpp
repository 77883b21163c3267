#include "tests/tools/tools_test_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace tools_test {
namespace {

const std::filesystem::path& PrivateRoot() {
    // Never destroyed: removed by the environment's tear-down.
    static const std::filesystem::path& root = *new std::filesystem::path([] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvandel-tools-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return made != nullptr ? std::filesystem::path(made) : std::filesystem::path(pattern);
    }());
    return root;
}

class RemovePrivateRoot : public ::testing::Environment {
  public:
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(PrivateRoot(), ec);
    }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new RemovePrivateRoot);

}  // namespace

std::filesystem::path FreshFolder(const std::string& name) {
    static int counter = 0;
    const auto folder = PrivateRoot() / (name + "-" + std::to_string(++counter));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace tools_test
