// A fake viewer of tests/timer_core/helpers in a private folder of its own, copied as "FriioView"
// (or under another name), and the files through which it reports.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/win_types.h"
#include "tests/timer_core/timer_core_test_environment.h"

namespace timer_core_test {

class FakeViewer {
  public:
    // fake_friio_view in the given mode.
    explicit FakeViewer(const std::string& mode, const std::string& imageName = "FriioView")
        : FakeViewer(Built{FAKE_FRIIO_VIEW_PATH}, imageName) {
        std::ofstream(folder_ / "fake_mode") << mode << "\n";
    }
    // A viewer that hands over to a second one (fake_viewer_starter).
    struct HandingOverTo {
        const FakeViewer& second;
    };
    explicit FakeViewer(HandingOverTo handOver)
        : FakeViewer(Built{FAKE_VIEWER_STARTER_PATH}, "FriioView") {
        std::ofstream(folder_ / "second_program") << handOver.second.program_.string() << "\n";
    }

    std::wstring Path() const { return platform::FromNativePath(program_.native()); }
    std::filesystem::path Folder() const { return folder_; }

    // The lines of a report file once it exists (waits up to 10 s); nullopt when it never came.
    std::optional<std::vector<std::string>> Report(const std::string& name) const {
        const auto path = folder_ / name;
        if (!WaitUntil([&] { return std::filesystem::exists(path); })) return std::nullopt;
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    void Forget(const std::string& name) const { std::filesystem::remove(folder_ / name); }
    // The viewer takes this long (real time) to come up, as a loaded machine makes it.
    void StartSlowly(int realMs) const { std::ofstream(folder_ / "slow_start") << realMs << "\n"; }

    // The messages the stubborn viewer's window got, as "0x<hex>" lines.
    std::vector<std::string> Messages() const {
        std::ifstream in(folder_ / "messages.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

  private:
    struct Built {
        const char* path;
    };
    FakeViewer(Built built, const std::string& imageName)
        : folder_(FreshFolder("fake-viewer")), program_(folder_ / imageName) {
        std::filesystem::copy_file(built.path, program_);
    }

    std::filesystem::path folder_;
    std::filesystem::path program_;
};

// Points HOME and XDG_CONFIG_HOME (the registry) at a fresh folder for one test and back again.
class PrivateHome {
  public:
    PrivateHome() : folder_(FreshFolder("home")) {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(
                name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
        ::setenv("HOME", folder_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    }
    ~PrivateHome() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    std::filesystem::path Folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace timer_core_test
