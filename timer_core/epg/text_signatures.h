// Which characters, and which pairs of adjacent characters, the search texts of one service hold:
// a column of bits for each hash value of a character (512 columns) and of a pair (1024), with one
// bit per text. A word occurs in a text only if the text holds each of the word's characters and
// each pair of adjacent ones, so the texts that may contain a word are those set in every column
// of the word. The keyword search looks into a text only when every word it needs may be there,
// and finds those texts for 64 texts at a time; the pairs spare it nearly every text that holds a
// word's characters apart only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace timer_core {

class TextSignatures {
  public:
    // The columns of a word: of each of its characters and each pair of adjacent ones.
    using Columns = std::vector<std::uint32_t>;
    static Columns ColumnsOf(std::wstring_view word);

    // Room for that many texts, none holding anything yet.
    void Reset(std::size_t texts);
    // Text number `text` holds these characters, in this order.
    void Add(std::size_t text, std::wstring_view characters);

    // One bit per text, all set: where Narrow starts.
    void AllTexts(std::vector<std::uint64_t>* texts) const;
    // Clears the bits of the texts that cannot contain a word of these columns.
    void Narrow(const Columns& word, std::vector<std::uint64_t>* texts) const;
    // Whether the text may contain a word of these columns.
    bool MayContain(std::size_t text, const Columns& word) const;

  private:
    std::size_t texts_ = 0;
    std::size_t wordsPerColumn_ = 0;
    // For each 64 texts, the word of each column: the columns of one text lie close together.
    std::vector<std::uint64_t> bits_;
};

}  // namespace timer_core
