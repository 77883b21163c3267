// Which characters a text may hold, as 512 bits of a hash of each character. A word occurs in
// a text only if each of its characters does, so a text whose signature lacks a bit of the
// word's cannot contain the word: the keyword search looks into a text only when every word it
// needs may be there.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace timer_core {

class CharacterSignature {
  public:
    CharacterSignature() = default;
    explicit CharacterSignature(std::wstring_view text) { Add(text); }

    void Add(wchar_t c) {
        const unsigned bit = (static_cast<std::uint32_t>(c) * 2654435761u) >> 23;  // 9 bits
        bits_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }
    void Add(std::wstring_view text) {
        for (wchar_t c : text)
            Add(c);
    }

    // False when a text of this signature cannot contain the word of `word`.
    bool MayContain(const CharacterSignature& word) const {
        std::uint64_t missing = 0;
        for (std::size_t i = 0; i < bits_.size(); ++i)
            missing |= word.bits_[i] & ~bits_[i];
        return missing == 0;
    }

  private:
    std::array<std::uint64_t, 8> bits_{};
};

}  // namespace timer_core
