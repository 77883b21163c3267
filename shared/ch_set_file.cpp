#include "shared/ch_set_file.h"

#include "platform/code_page.h"
#include "shared/channel_table_text.h"
#include "shared/text_lines.h"

namespace shared {

int ChSetFile::Load(std::wstring_view path) {
    return LoadChannelTable(path, *this);
}

void ChSetFile::Parse(std::string_view bytes) {
    entries_.clear();
    for (std::string_view line : SplitLines(bytes)) {
        if (!line.empty() && line.front() == ';') continue;
        std::string name;
        int value = 0;
        if (ParseLine(line, &name, &value)) entries_.try_emplace(std::move(name), value);
    }
}

int ChSetFile::ParseLine(std::string_view line, std::string* name, int* value) {
    const std::size_t equals = line.find('=');
    if (line.empty() || equals == line.npos) return 0;
    *name = std::string(line.substr(0, equals));
    *value = LeadingDecimal(line.substr(equals + 1));
    return 1;
}

int ChSetFile::Set(std::wstring_view name, int channel) {
    if (name.empty()) return 0;
    entries_[platform::WideToShiftJis(OneLineName(name, L"\r\n"))] = channel;
    return 1;
}

int ChSetFile::Save(std::wstring_view path) const {
    return WriteChannelTable(path, Bytes());
}

std::string ChSetFile::Bytes() const {
    std::string bytes;
    for (const auto& [name, channel] : entries_) {
        bytes += name;
        bytes += '=';
        bytes += std::to_string(channel);
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace shared
