#include "tests/capture_plugin/window_parts_environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "broadcast_sim/time_builder.h"
#include "platform/clock.h"
#include "platform/known_folders.h"
#include "platform/utf8.h"
#include "tests/support/qt_event_loop.h"
#include "ui/message_box.h"

namespace window_parts_test {
namespace {

std::filesystem::path MakeTemporaryFolder(const std::filesystem::path& base) {
    std::string pattern = (base / "orvandel-plugin-parts-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    return made != nullptr ? std::filesystem::path(made) : std::filesystem::path(pattern);
}

std::filesystem::path DebugLogPath() {
    return PrivateRoot() / "debug.log";
}

// Plain storage, so that it outlives every static object of the program.
char runtimeAtExit[4096];

class WindowPartsEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        const std::filesystem::path& root = PrivateRoot();
        for (const char* sub : {"home", "config", "work"})
            std::filesystem::create_directories(root / sub);
        ::setenv("HOME", (root / "home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        // The runtime folder lies in memory where the machine has that, as a real one does.
        runtime_ = MakeTemporaryFolder(::access("/dev/shm", W_OK) == 0
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path());
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        // The platform layer still writes below it while the program ends: it goes last.
        std::snprintf(runtimeAtExit, sizeof runtimeAtExit, "%s", runtime_.c_str());
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(runtimeAtExit, ec);
        });
        ::setenv("ORVANDEL_NAMESPACE", ("plugparts" + std::to_string(::getpid())).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("ORVANDEL_DEBUG_LOG", DebugLogPath().c_str(), 1);
        ::setenv("ORVANDEL_SIM_CLOCK",
                 platform::FormatSimClockSetting(ClockStart(), kClockRate).c_str(), 1);
        // Every clock reading of the program is simulated from here on; the machine's clock is
        // never set by a test.
        ASSERT_TRUE(platform::Clock::Instance().IsSimulated());
        if (QCoreApplication::instance() == nullptr) {
            app_ = std::make_unique<QApplication>(argc_, argv_);
        }
        test_support::WaitWithTheEventLoop();
        RefuseMessageBoxes();
    }

    void TearDown() override {
        ui::SetMessageBoxAnswer({});
        test_support::SetIdleRunner(nullptr);
        app_.reset();
        std::error_code ec;
        std::filesystem::remove_all(PrivateRoot(), ec);
    }

  private:
    int argc_ = 1;
    char name_[20] = "capture_plugin_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
    std::filesystem::path runtime_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WindowPartsEnvironment);

}  // namespace

platform::SYSTEMTIME ClockStart() {
    return broadcast_sim::JstTime(2009, 1, 4, 20);
}

const std::filesystem::path& PrivateRoot() {
    static const std::filesystem::path root =
        MakeTemporaryFolder(std::filesystem::temp_directory_path());
    return root;
}

DebugLogTail::DebugLogTail() {
    std::error_code ec;
    const auto size = std::filesystem::file_size(DebugLogPath(), ec);
    start_ = ec ? 0 : size;
}

std::string DebugLogTail::Text() const {
    std::ifstream in(DebugLogPath(), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(start_));
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::filesystem::path FreshFolder(const std::string& name) {
    const std::filesystem::path folder = PrivateRoot() / "work" / name;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
    return folder;
}

void RefuseMessageBoxes() {
    ui::SetMessageBoxAnswer([](const ui::MessageBoxRequest& request) {
        ADD_FAILURE() << "unexpected message box: " << platform::WideToUtf8(request.text);
        return ui::IDOK;
    });
}

void ClickButton(ui::Dialog& dialog, int id) {
    dialog.SendMessage(ui::WM_COMMAND, ui::MAKEWPARAM(static_cast<ui::WORD>(id), ui::BN_CLICKED),
                       0);
}

shared::RecordRequest MakeRecordRequest(const std::wstring& name, const RequestFields& fields) {
    shared::RecordRequest request;
    shared::SetRecordFileName(request, name);
    request.channel = fields.channel;
    request.serviceId = fields.serviceId;
    request.eventId = fields.eventId;
    request.minutes = fields.minutes;
    request.noErrLog = fields.noErrLog;
    request.marginSeconds = fields.marginSeconds;
    return request;
}

std::uint64_t NowLocal() {
    return platform::Clock::Instance().NowLocal();
}

}  // namespace window_parts_test
