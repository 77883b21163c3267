#include "platform/logind.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/debug_output.h"
#include "platform/utf8.h"

namespace platform::logind {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

// logind answers at once; a bus that does not answer within this is treated as absent.
constexpr std::uint64_t kCallTimeoutUs = 5'000'000;

struct BusDeleter {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusDeleter>;

struct MessageDeleter {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageDeleter>;

class BusError {
  public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* Get() { return &error_; }
    std::string Text(int result) const {
        return sd_bus_error_is_set(&error_) ? error_.message : std::strerror(-result);
    }

  private:
    sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

// Writes a failure once: the same failure again (a caller retrying every minute) stays quiet
// until something has succeeded in between.
class FailureLog {
  public:
    static FailureLog& Instance() {
        static FailureLog log;
        return log;
    }

    void Failed(const std::string& what) {
        const std::lock_guard lock(mutex_);
        if (what == last_) return;
        last_ = what;
        OutputDebugStringW(L"logind: " + Utf8ToWide(what));
    }

    void Succeeded() {
        const std::lock_guard lock(mutex_);
        last_.clear();
    }

  private:
    std::mutex mutex_;
    std::string last_;
};

// The address sd-bus connects to, for the debug line.
std::string SystemBusAddress() {
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    return address != nullptr && *address != '\0' ? address
                                                  : "unix:path=/run/dbus/system_bus_socket";
}

BusPtr OpenSystemBus() {
    sd_bus* bus = nullptr;
    const int result = sd_bus_open_system(&bus);
    if (result < 0) {
        FailureLog::Instance().Failed(
            "no system bus at " + SystemBusAddress() + " (" + std::strerror(-result) +
            "); sleep is not inhibited and resume is found from the boot-time gap only");
        return nullptr;
    }
    BusPtr owned(bus);
    sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
    return owned;
}

}  // namespace

OwnedFd InhibitSleep(std::wstring_view who, std::wstring_view why) {
    const BusPtr bus = OpenSystemBus();
    if (!bus) return {};
    BusError error;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call_method(
        bus.get(), kService, kPath, kManager, "Inhibit", error.Get(), &reply, "ssss", "sleep",
        WideToUtf8(who).c_str(), WideToUtf8(why).c_str(), "block");
    const MessagePtr owned(reply);
    int fd = -1;
    if (result < 0 || sd_bus_message_read(reply, "h", &fd) < 0) {
        FailureLog::Instance().Failed("Inhibit(sleep, block) failed: " + error.Text(result));
        return {};
    }
    // The message owns the descriptor it carries; the lock lives on in our own copy.
    OwnedFd lock(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
    if (lock.Valid()) FailureLog::Instance().Succeeded();
    return lock;
}

struct SleepSignals::Connection {
    BusPtr bus;
    const std::function<void(bool)>* onSignal = nullptr;  // set while Process runs

    static int OnPrepareForSleep(sd_bus_message* message, void* self, sd_bus_error*) {
        int start = 0;
        auto* connection = static_cast<Connection*>(self);
        if (sd_bus_message_read(message, "b", &start) >= 0 && connection->onSignal != nullptr)
            (*connection->onSignal)(start != 0);
        return 0;
    }
};

SleepSignals::SleepSignals() {
    BusPtr bus = OpenSystemBus();
    if (!bus) return;
    auto connection = std::make_unique<Connection>();
    // A floating slot: the subscription lasts as long as the connection.
    const int result =
        sd_bus_match_signal(bus.get(), nullptr, kService, kPath, kManager, "PrepareForSleep",
                            &Connection::OnPrepareForSleep, connection.get());
    if (result < 0) {
        FailureLog::Instance().Failed(std::string("PrepareForSleep cannot be subscribed (") +
                                      std::strerror(-result) + ")");
        return;
    }
    FailureLog::Instance().Succeeded();
    connection->bus = std::move(bus);
    connection_ = std::move(connection);
}

SleepSignals::~SleepSignals() = default;

bool SleepSignals::Connected() const {
    return connection_ != nullptr;
}

int SleepSignals::Fd() const {
    return connection_ ? sd_bus_get_fd(connection_->bus.get()) : -1;
}

short SleepSignals::Events() const {
    if (!connection_) return 0;
    const int events = sd_bus_get_events(connection_->bus.get());
    return events < 0 ? 0 : static_cast<short>(events);
}

std::optional<std::chrono::milliseconds> SleepSignals::Timeout() const {
    std::uint64_t until = UINT64_MAX;  // CLOCK_MONOTONIC microseconds
    if (!connection_ || sd_bus_get_timeout(connection_->bus.get(), &until) < 0 ||
        until == UINT64_MAX) {
        return std::nullopt;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 +
                                static_cast<std::uint64_t>(now.tv_nsec) / 1000;
    return std::chrono::milliseconds(until > nowUs ? (until - nowUs + 999) / 1000 : 0);
}

bool SleepSignals::Process(const std::function<void(bool)>& onSignal) {
    if (!connection_) return false;
    connection_->onSignal = &onSignal;
    int result = 0;
    do {
        result = sd_bus_process(connection_->bus.get(), nullptr);
    } while (result > 0);
    connection_->onSignal = nullptr;
    if (result < 0) {
        FailureLog::Instance().Failed(std::string("system bus connection lost (") +
                                      std::strerror(-result) + ")");
        connection_.reset();
        return false;
    }
    return true;
}

}  // namespace platform::logind
