#include "platform/named_file_mapping.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/fd_io.h"

namespace platform {
namespace {

// How long a reader tries to get a whole copy.
constexpr std::chrono::milliseconds kWriteInProgressLimit(100);

const NamedObjectStore& MappingStore() {
    static const NamedObjectStore store("mappings");
    return store;
}

// Byte copies into and out of memory that other processes read or write at the same time: each
// word is one atomic access, so a copy that races a writer is only ever discarded, never torn in
// a way the language leaves undefined. Every copy starts on 64 bytes, so the words line up.
// Stores release and loads acquire (plain moves on x86): a reader that loads any word a writer
// stored sees what that writer did before, its claim of the copy included, and reads the claim
// only after the words. ThreadSanitizer follows this; it does not follow standalone fences.
// Writes `bytes` and then zeros, `size` bytes in all, at `to` (a copy's start).
void StoreShared(std::uint8_t* to, std::span<const std::uint8_t> bytes, std::size_t size) {
    const auto byteAt = [&](std::size_t i) { return i < bytes.size() ? bytes[i] : 0; };
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        if (i + 8 <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, 8);
        } else {
            std::uint8_t chunk[8];
            for (std::size_t k = 0; k < 8; ++k)
                chunk[k] = byteAt(i + k);
            std::memcpy(&word, chunk, 8);
        }
        std::atomic_ref(*reinterpret_cast<std::uint64_t*>(to + i))
            .store(word, std::memory_order_release);
    }
    for (; i < size; ++i)
        std::atomic_ref(to[i]).store(byteAt(i), std::memory_order_release);
}

void LoadShared(std::uint8_t* to, std::uint8_t* from, std::size_t count) {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const std::uint64_t word = std::atomic_ref(*reinterpret_cast<std::uint64_t*>(from + i))
                                       .load(std::memory_order_acquire);
        std::memcpy(to + i, &word, 8);
    }
    for (; i < count; ++i)
        to[i] = std::atomic_ref(from[i]).load(std::memory_order_acquire);
}

}  // namespace

MappedView::MappedView(std::uint8_t* base, std::size_t mapped, std::size_t size)
    : base_(base), mapped_(mapped), size_(size) {
    data_ = Slot(std::atomic_ref(Published()).load(std::memory_order_acquire));
}

MappedView::MappedView(MappedView&& other) noexcept {
    *this = std::move(other);
}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
    if (this != &other) {
        if (base_ != nullptr) ::munmap(base_, mapped_);
        base_ = std::exchange(other.base_, nullptr);
        mapped_ = std::exchange(other.mapped_, 0);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedView::~MappedView() {
    if (base_ != nullptr) ::munmap(base_, mapped_);
}

std::uint8_t* MappedView::Slot(std::uint64_t number) const {
    return base_ + (number % NamedObjectTrailer::kSlots) * NamedObjectTrailer::SlotStride(size_);
}

std::uint64_t& MappedView::Published() const {
    return *reinterpret_cast<std::uint64_t*>(base_ + NamedObjectTrailer::Offset(size_) +
                                             offsetof(NamedObjectTrailer, published));
}

std::uint64_t& MappedView::Claimed() const {
    return *reinterpret_cast<std::uint64_t*>(base_ + NamedObjectTrailer::Offset(size_) +
                                             offsetof(NamedObjectTrailer, claimed));
}

NamedFileMapping NamedFileMapping::Create(std::string_view name, std::size_t size,
                                          bool* alreadyExisted) {
    NamedFileMapping mapping;
    if (size == 0) return mapping;
    mapping.handle_ = MappingStore().Create(name, size, alreadyExisted);
    mapping.writable_ = true;
    return mapping;
}

NamedFileMapping NamedFileMapping::OpenForReading(std::string_view name) {
    NamedFileMapping mapping;
    mapping.handle_ = MappingStore().Open(name, false);
    return mapping;
}

MappedView NamedFileMapping::Map(bool writable) const {
    if (!Valid() || Size() == 0 || (writable && !writable_)) return {};
    const std::size_t mapped = NamedObjectTrailer::Offset(Size()) + sizeof(NamedObjectTrailer);
    const int protection = writable ? PROT_READ | PROT_WRITE : PROT_READ;
    void* data = ::mmap(nullptr, mapped, protection, MAP_SHARED, handle_.Fd(), 0);
    if (data == MAP_FAILED) return {};
    return MappedView(static_cast<std::uint8_t*>(data), mapped, Size());
}

bool NamedFileMapping::Write(std::span<const std::uint8_t> bytes) {
    if (!writeView_.Valid()) writeView_ = Map(true);
    if (!writeView_.Valid() || bytes.size() > writeView_.size_) return false;
    // Writers of this process take turns, so that a copy is never filled by two at once (other
    // processes do not write the object: SharedMemoryBlock writes only objects it created).
    static auto* const writers = new std::mutex;
    const std::lock_guard turn(*writers);
    const std::uint64_t number =
        std::atomic_ref(writeView_.Claimed()).fetch_add(1, std::memory_order_relaxed) + 1;
    // A reader that sees any of the bytes below sees this claim too, and drops its copy.
    std::uint8_t* slot = writeView_.Slot(number);
    StoreShared(slot, bytes, writeView_.size_);
    std::atomic_ref(writeView_.Published()).store(number, std::memory_order_release);
    return true;
}

void NamedFileMapping::Close() {
    writeView_ = MappedView();
    handle_.Close();
    writable_ = false;
}

bool ReadNamedMapping(std::string_view name, std::span<std::uint8_t> out) {
    const NamedFileMapping mapping = NamedFileMapping::OpenForReading(name);
    if (!mapping.Valid()) return false;
    const MappedView view = mapping.Map(false);
    if (!view.Valid() || view.Bytes().size() < out.size()) return false;
    std::atomic_ref published(view.Published());
    std::atomic_ref claimed(view.Claimed());
    std::vector<std::uint8_t> copy(out.size());
    const bool whole = RetryWithin(kWriteInProgressLimit, [&] {
        const std::uint64_t number = published.load(std::memory_order_acquire);
        LoadShared(copy.data(), view.Slot(number), copy.size());
        // The copy is whole unless a writer has begun to fill that slot again.
        return claimed.load(std::memory_order_relaxed) - number < NamedObjectTrailer::kSlots;
    });
    if (!whole) return false;
    std::copy(copy.begin(), copy.end(), out.begin());
    return true;
}

}  // namespace platform
