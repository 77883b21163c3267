#include "platform/named_file_mapping.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>

namespace platform {
namespace {

const NamedObjectStore& MappingStore() {
    static const NamedObjectStore store("mappings");
    return store;
}

}  // namespace

MappedView::MappedView(MappedView&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
    if (this != &other) {
        if (data_ != nullptr) ::munmap(data_, size_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedView::~MappedView() {
    if (data_ != nullptr) ::munmap(data_, size_);
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

std::size_t NamedFileMapping::Size() const {
    struct stat st {};
    if (!Valid() || ::fstat(handle_.Fd(), &st) != 0) return 0;
    return static_cast<std::size_t>(st.st_size);
}

MappedView NamedFileMapping::Map(bool writable) const {
    const std::size_t size = Size();
    if (size == 0 || (writable && !writable_)) return {};
    const int protection = writable ? PROT_READ | PROT_WRITE : PROT_READ;
    void* data = ::mmap(nullptr, size, protection, MAP_SHARED, handle_.Fd(), 0);
    if (data == MAP_FAILED) return {};
    return MappedView(static_cast<std::uint8_t*>(data), size);
}

bool ReadNamedMapping(std::string_view name, std::span<std::uint8_t> out) {
    const NamedFileMapping mapping = NamedFileMapping::OpenForReading(name);
    if (!mapping.Valid()) return false;
    const MappedView view = mapping.Map(false);
    if (!view.Valid() || view.Bytes().size() < out.size()) return false;
    std::copy_n(view.Bytes().begin(), out.size(), out.begin());
    return true;
}

}  // namespace platform
