#include "platform/shared_clock_state.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "platform/process_identity.h"
#include "platform/runtime_folder.h"

namespace platform {

struct SharedClockState::Data {
    std::int64_t offset;
    std::uint64_t sequence;  // odd while a writer changes held/holdStart/holdEnd
    std::int64_t held;       // real ns the clock stood still in holds that have ended
    std::int64_t holdStart;  // real ns at which the present hold began; 0: the clock runs
    std::int64_t holdEnd;    // the present hold ends by itself here (the latest bound of its slots)
    std::int64_t endedByBound;
    struct Slot {
        std::int64_t bound;  // 0: the slot is free
        std::int64_t pid;    // the program waited for; 0 until it was created
        std::uint64_t pidStart;
        std::int64_t creator;
        std::uint64_t creatorStart;
    } slots[kHoldSlots];
};

namespace {

template <typename T>
T Load(T& field, std::memory_order order = std::memory_order_relaxed) {
    return std::atomic_ref<T>(field).load(order);
}

template <typename T>
void Store(T& field, T value, std::memory_order order = std::memory_order_relaxed) {
    std::atomic_ref<T>(field).store(value, order);
}

// A reader that finds a writer at work this often gives up waiting: the writer has died in the
// middle (the next writer mends the sequence), and a clock reading must never hang.
constexpr int kReadAttempts = 100000;

}  // namespace

std::filesystem::path SharedClockState::PathFor(const std::string& key) {
    const auto folder = RuntimeFolder();
    return folder.empty() ? folder : folder / ("simclock-" + key);
}

SharedClockState::SharedClockState(const std::string& key) {
    const auto path = PathFor(key);
    if (path.empty()) return;
    fd_ = OpenPrivateFile(path, O_RDWR | O_CREAT);
    if (fd_ < 0) return;
    // Growing to the same size from several processes at once is harmless: the new bytes are 0.
    void* mapped = MAP_FAILED;
    if (::ftruncate(fd_, sizeof(Data)) == 0) {
        mapped = ::mmap(nullptr, sizeof(Data), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    }
    if (mapped == MAP_FAILED) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    data_ = static_cast<Data*>(mapped);
    path_ = path;
}

SharedClockState::~SharedClockState() {
    if (data_ != nullptr) ::munmap(data_, sizeof(Data));
    if (fd_ >= 0) ::close(fd_);
}

std::int64_t SharedClockState::LoadOffset() const {
    return data_ == nullptr ? 0 : Load(data_->offset);
}

bool SharedClockState::StoreOffset(std::int64_t offset) {
    if (data_ == nullptr) return false;
    Store(data_->offset, offset);
    return true;
}

SharedClockState::HoldFields SharedClockState::ReadHoldFields() const {
    if (data_ == nullptr) return {0, 0, 0};
    HoldFields fields{};
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        // Acquire loads throughout keep the second look at the sequence behind the fields.
        const auto acquire = std::memory_order_acquire;
        const std::uint64_t before = Load(data_->sequence, acquire);
        fields = {Load(data_->held, acquire), Load(data_->holdStart, acquire),
                  Load(data_->holdEnd, acquire)};
        if ((before & 1) == 0 && Load(data_->sequence) == before) break;
    }
    return fields;
}

std::int64_t SharedClockState::HeldNs(std::int64_t nowNs) const {
    const HoldFields f = ReadHoldFields();
    if (f.start == 0) return f.held;
    return f.held + std::max<std::int64_t>(0, std::min(nowNs, f.end) - f.start);
}

bool SharedClockState::IsHeld(std::int64_t nowNs) const {
    const HoldFields f = ReadHoldFields();
    return f.start != 0 && nowNs < f.end;
}

template <typename Change>
void SharedClockState::Write(std::int64_t nowNs, Change change) {
    if (data_ == nullptr) return;
    const std::lock_guard lock(writer_);
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
    std::uint64_t sequence = Load(data_->sequence);
    if ((sequence & 1) != 0) ++sequence;  // a writer died in the middle
    // An acquiring exchange: no change below moves before the odd sequence number.
    std::atomic_ref<std::uint64_t>(data_->sequence)
        .exchange(sequence + 1, std::memory_order_acq_rel);
    FoldEndedHold(nowNs);
    change();
    Store(data_->sequence, sequence + 2, std::memory_order_release);
    ::flock(fd_, LOCK_UN);
}

// A hold whose bound has passed ended at its bound: its time joins the held total and the slots
// still in it are freed (each ended by the bound, not by its program).
void SharedClockState::FoldEndedHold(std::int64_t nowNs) {
    const std::int64_t start = Load(data_->holdStart);
    const std::int64_t end = Load(data_->holdEnd);
    if (start == 0 || nowNs < end) return;
    Store(data_->held, Load(data_->held) + (end - start));
    Store(data_->holdStart, std::int64_t{0});
    for (auto& slot : data_->slots) {
        if (Load(slot.bound) == 0) continue;
        Store(slot.bound, std::int64_t{0});
        Store(data_->endedByBound, Load(data_->endedByBound) + 1);
    }
}

void SharedClockState::ReleaseSlot(int slot, std::int64_t nowNs) {
    if (Load(data_->slots[slot].bound) == 0) return;
    Store(data_->slots[slot].bound, std::int64_t{0});
    std::int64_t latest = 0;
    for (auto& other : data_->slots)
        latest = std::max(latest, Load(other.bound));
    const std::int64_t start = Load(data_->holdStart);
    if (start == 0) return;
    if (latest != 0) {
        Store(data_->holdEnd, latest);
        return;
    }
    Store(data_->held, Load(data_->held) + std::max<std::int64_t>(0, nowNs - start));
    Store(data_->holdStart, std::int64_t{0});
}

std::optional<int> SharedClockState::BeginHold(std::int64_t nowNs, std::int64_t limitNs) {
    std::optional<int> taken;
    Write(nowNs, [&] {
        for (int i = 0; i < kHoldSlots; ++i) {
            auto& slot = data_->slots[i];
            if (Load(slot.bound) != 0) continue;
            const std::int64_t bound = nowNs + limitNs;
            Store(slot.pid, std::int64_t{0});
            Store(slot.pidStart, std::uint64_t{0});
            Store(slot.creator, static_cast<std::int64_t>(::getpid()));
            Store(slot.creatorStart, OwnStartTime());
            Store(slot.bound, bound);
            if (Load(data_->holdStart) == 0) {
                Store(data_->holdStart, nowNs);
                Store(data_->holdEnd, bound);
            } else {
                Store(data_->holdEnd, std::max(Load(data_->holdEnd), bound));
            }
            taken = i;
            return;
        }
    });
    return taken;
}

void SharedClockState::AttachHold(int slot, pid_t pid) {
    if (data_ == nullptr || slot < 0 || slot >= kHoldSlots) return;
    const std::uint64_t pidStart = ProcessStartTime(static_cast<DWORD>(pid));
    Write(0, [&] {
        Store(data_->slots[slot].pidStart, pidStart);
        Store(data_->slots[slot].pid, static_cast<std::int64_t>(pid));
    });
}

void SharedClockState::EndHold(int slot, std::int64_t nowNs) {
    if (slot < 0 || slot >= kHoldSlots) return;
    Write(nowNs, [&] { ReleaseSlot(slot, nowNs); });
}

void SharedClockState::EndHoldsOf(pid_t pid, std::int64_t nowNs) {
    if (pid <= 0) return;
    Write(nowNs, [&] {
        for (int i = 0; i < kHoldSlots; ++i) {
            if (Load(data_->slots[i].pid) == pid) ReleaseSlot(i, nowNs);
        }
    });
}

void SharedClockState::EndHoldsOfEndedPrograms(std::int64_t nowNs) {
    Write(nowNs, [&] {
        for (int i = 0; i < kHoldSlots; ++i) {
            auto& slot = data_->slots[i];
            if (Load(slot.bound) == 0) continue;
            const std::int64_t pid = Load(slot.pid);
            const bool alive = pid != 0
                                   ? IsProcessAlive(static_cast<DWORD>(pid), Load(slot.pidStart))
                                   : IsProcessAlive(static_cast<DWORD>(Load(slot.creator)),
                                                    Load(slot.creatorStart));
            if (!alive) ReleaseSlot(i, nowNs);
        }
    });
}

std::int64_t SharedClockState::HoldsEndedByBound() const {
    return data_ == nullptr ? 0 : Load(data_->endedByBound);
}

}  // namespace platform
