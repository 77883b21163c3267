// Which characters a text may hold, as 512 bits of a hash of each character. A word occurs in
// a text only if each of its characters does, so a text that lacks one of the word's bits
// cannot contain the word: the keyword search looks into a text only when every word it needs
// may be there.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace timer_core {

class CharacterSignature {
  public:
    static constexpr unsigned kBits = 512;

    // Calls `use` with the bit of every character of the text.
    template <class Use>
    static void ForEachBit(std::wstring_view text, Use use) {
        for (wchar_t c : text)
            use(CharacterBit(c));
    }

    void Add(std::wstring_view text) {
        ForEachBit(text,
                   [this](unsigned bit) { bits_[bit >> 6] |= std::uint64_t{1} << (bit & 63); });
    }
    bool Has(unsigned bit) const { return (bits_[bit >> 6] >> (bit & 63) & 1u) != 0; }

  private:
    static unsigned CharacterBit(wchar_t c) {
        return (static_cast<std::uint32_t>(c) * 2654435761u) >> 23;  // 9 bits
    }

    std::array<std::uint64_t, kBits / 64> bits_{};
};

// The bits a text must have to contain the word.
class WordSignature {
  public:
    explicit WordSignature(std::wstring_view word) {
        CharacterSignature::ForEachBit(word, [this](unsigned bit) { bits_.push_back(bit); });
    }

    // False when the text of `text` cannot contain the word.
    bool MayOccurIn(const CharacterSignature& text) const {
        for (unsigned bit : bits_) {
            if (!text.Has(bit)) return false;
        }
        return true;
    }

  private:
    std::vector<unsigned> bits_;
};

}  // namespace timer_core
