#include "timer_core/epg/text_signatures.h"

#include <algorithm>

namespace timer_core {
namespace {

constexpr std::uint32_t kCharacterColumns = 512;
constexpr std::uint32_t kPairColumns = 1024;
constexpr std::size_t kColumns = kCharacterColumns + kPairColumns;
constexpr std::size_t kBitsPerWord = 64;

std::uint32_t Hash(wchar_t c) {
    return static_cast<std::uint32_t>(c) * 2654435761u;
}

std::uint32_t CharacterColumn(std::uint32_t hash) {
    return hash >> 23;  // 9 bits
}

std::uint32_t PairColumn(std::uint32_t firstHash, std::uint32_t secondHash) {
    return kCharacterColumns + (((firstHash >> 7) ^ secondHash) * 0x85EBCA77u >> 22);  // 10 bits
}

}  // namespace

TextSignatures::Columns TextSignatures::ColumnsOf(std::wstring_view word) {
    Columns columns;
    for (std::size_t i = 0; i < word.size(); ++i) {
        columns.push_back(CharacterColumn(Hash(word[i])));
        if (i > 0) columns.push_back(PairColumn(Hash(word[i - 1]), Hash(word[i])));
    }
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    return columns;
}

void TextSignatures::Reset(std::size_t texts) {
    texts_ = texts;
    wordsPerColumn_ = (texts + kBitsPerWord - 1) / kBitsPerWord;
    bits_.assign(kColumns * wordsPerColumn_, 0);
}

void TextSignatures::Add(std::size_t text, std::wstring_view characters) {
    const std::uint64_t bit = std::uint64_t{1} << (text % kBitsPerWord);
    std::uint64_t* block = bits_.data() + text / kBitsPerWord * kColumns;
    if (characters.empty()) return;
    std::uint32_t previous = Hash(characters[0]);
    block[CharacterColumn(previous)] |= bit;
    for (std::size_t i = 1; i < characters.size(); ++i) {
        const std::uint32_t hash = Hash(characters[i]);
        block[CharacterColumn(hash)] |= bit;
        block[PairColumn(previous, hash)] |= bit;
        previous = hash;
    }
}

void TextSignatures::AllTexts(std::vector<std::uint64_t>* texts) const {
    texts->assign(wordsPerColumn_, ~std::uint64_t{0});
    if (texts_ % kBitsPerWord != 0)
        texts->back() = (std::uint64_t{1} << (texts_ % kBitsPerWord)) - 1;
}

void TextSignatures::Narrow(const Columns& word, std::vector<std::uint64_t>* texts) const {
    for (const std::uint32_t column : word) {
        for (std::size_t i = 0; i < wordsPerColumn_; ++i)
            (*texts)[i] &= bits_[i * kColumns + column];
    }
}

bool TextSignatures::MayContain(std::size_t text, const Columns& word) const {
    const std::size_t at = text / kBitsPerWord;
    const std::uint64_t bit = std::uint64_t{1} << (text % kBitsPerWord);
    return std::all_of(word.begin(), word.end(), [&](std::uint32_t column) {
        return (bits_[at * kColumns + column] & bit) != 0;
    });
}

}  // namespace timer_core
