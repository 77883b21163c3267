// Bounded big-endian reading of broadcast bytes, and owned copies of byte runs.
//
// Everything the SI parsers read comes over the air, so every length, count and pointer inside a
// section or descriptor is untrusted. A ByteReader covers one fixed range; a read that would pass
// its end yields 0, moves the position to the end and marks the reader as overrun. A malformed
// length can therefore end a walk early, but never make a parser touch bytes outside its range.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

namespace broadcast {

class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, int size) : data_(data), size_(size > 0 ? size : 0) {}

    int position() const { return pos_; }
    int size() const { return size_; }
    int remaining() const { return size_ - pos_; }
    bool overrun() const { return overrun_; }
    bool Has(int n) const { return n >= 0 && n <= remaining(); }
    const std::uint8_t* current() const { return data_ + pos_; }

    std::uint8_t U8() { return static_cast<std::uint8_t>(Read(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Read(2)); }
    std::uint32_t U24() { return Read(3); }
    std::uint32_t U32() { return Read(4); }

    void Skip(int n) {
        if (n <= 0) return;
        if (!Has(n)) {
            Overrun();
            return;
        }
        pos_ += n;
    }

    // A reader over the next n bytes (clipped to what is left); this reader moves behind them.
    ByteReader Sub(int n) {
        const int k = std::clamp(n, 0, remaining());
        ByteReader sub(data_ + pos_, k);
        pos_ += k;
        if (k < n) overrun_ = true;
        return sub;
    }

  private:
    std::uint32_t Read(int n) {
        if (!Has(n)) {
            Overrun();
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | data_[pos_++];
        return v;
    }
    void Overrun() {
        pos_ = size_;
        overrun_ = true;
    }

    const std::uint8_t* data_;
    int size_;
    int pos_ = 0;
    bool overrun_ = false;
};

// Whether an owned copy of text gets one extra zero byte at its end.
enum class Terminated { kNo, kYes };

// Copies up to `wanted` bytes from the reader (none when wanted <= 0), clipped to what is left
// and to the largest value of Count; *count receives the number copied. A terminated copy is
// always allocated (count + 1 bytes, the last one 0); an unterminated copy of 0 bytes is null.
template <typename Count>
std::unique_ptr<std::uint8_t[]> TakeBytes(ByteReader& r, int wanted, Terminated terminated,
                                          Count* count) {
    const int limit = static_cast<int>(std::numeric_limits<Count>::max());
    const int n = std::min({std::max(wanted, 0), r.remaining(), limit});
    *count = static_cast<Count>(n);
    const int extra = terminated == Terminated::kYes ? 1 : 0;
    std::unique_ptr<std::uint8_t[]> copy;
    if (n + extra > 0) {
        copy = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(n + extra));
        if (n > 0) std::memcpy(copy.get(), r.current(), static_cast<std::size_t>(n));
        if (extra) copy[n] = 0;
    }
    r.Skip(std::max(wanted, 0));
    return copy;
}

// A u8 length followed by that many bytes.
template <typename Count>
std::unique_ptr<std::uint8_t[]> TakeLengthPrefixed(ByteReader& r, Terminated terminated,
                                                   Count* count) {
    const int length = r.U8();
    return TakeBytes(r, length, terminated, count);
}

// Copies exactly `size` bytes (fewer when the reader ends first; the rest of `out` is zeroed).
inline void TakeFixed(ByteReader& r, std::uint8_t* out, int size) {
    const int n = std::min(size, r.remaining());
    std::memset(out, 0, static_cast<std::size_t>(size));
    if (n > 0) std::memcpy(out, r.current(), static_cast<std::size_t>(n));
    r.Skip(size);
}

}  // namespace broadcast
