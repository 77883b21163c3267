#include "shared/ch_set2_file.h"

#include "platform/code_page.h"
#include "shared/channel_table_text.h"
#include "shared/text_lines.h"

namespace shared {

int ChSet2File::Load(std::wstring_view path) {
    return LoadChannelTable(path, *this);
}

void ChSet2File::Parse(std::string_view bytes) {
    entries_.clear();
    for (std::string_view line : SplitLines(bytes)) {
        ChSet2Entry entry;
        if (!ParseLine(line, &entry)) continue;
        entries_.try_emplace(Key(entry.transportStreamId, entry.serviceId), std::move(entry));
    }
}

int ChSet2File::ParseLine(std::string_view line, ChSet2Entry* entry) {
    std::string_view fields[4];
    std::size_t begin = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t tab = line.find('\t', begin);
        if (tab == line.npos) return 0;
        fields[i] = line.substr(begin, tab - begin);
        begin = tab + 1;
    }
    fields[3] = line.substr(begin);
    entry->serviceName = platform::ShiftJisToWide(fields[0]);
    entry->channel = LeadingDecimal(fields[1]);
    entry->serviceId = LeadingDecimal(fields[2]);
    entry->transportStreamId = LeadingDecimal(fields[3]);
    return 1;
}

int ChSet2File::Set(const ChSet2Entry& entry) {
    ChSet2Entry stored = entry;
    stored.serviceName = OneLineName(entry.serviceName, L"\r\n\t");
    auto [it, inserted] =
        entries_.try_emplace(Key(entry.transportStreamId, entry.serviceId), stored);
    if (inserted) return 1;
    it->second = std::move(stored);
    return 0;
}

int ChSet2File::Save(std::wstring_view path) const {
    return WriteChannelTable(path, Bytes());
}

std::string ChSet2File::Bytes() const {
    std::string bytes;
    for (const auto& [key, entry] : entries_) {
        bytes += platform::WideToShiftJis(entry.serviceName);
        for (int number : {entry.channel, entry.serviceId, entry.transportStreamId}) {
            bytes += '\t';
            bytes += std::to_string(number);
        }
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace shared
