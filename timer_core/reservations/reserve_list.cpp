#include "timer_core/reservations/reserve_list.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_errors.h"
#include "platform/known_folders.h"
#include "platform/last_error.h"
#include "platform/locked_file_update.h"
#include "platform/paths.h"
#include "platform/whole_file.h"
#include "shared/ch_set_file.h"
#include "shared/epg_data_folder.h"
#include "shared/text_lines.h"
#include "timer_core/reservations/program_line.h"

namespace timer_core {
namespace {

std::wstring ChSetPath() {
    return platform::JoinPath(shared::TimerDataFolder(platform::GetDocumentsFolder()),
                              L"ChSet.txt");
}

platform::SYSTEMTIME LocalNow() {
    platform::SYSTEMTIME now;
    platform::GetLocalTime(&now);
    return now;
}

// The parsed reservation of a line, or null when the line is rejected.
std::unique_ptr<ReserveEntry> ParsedLine(std::string_view line, const platform::SYSTEMTIME& now) {
    auto entry = std::make_unique<ReserveEntry>();
    if (!ParseProgramLine(line, now, entry.get())) return nullptr;
    return entry;
}

// The index entry that holds `entry`. A record stands under the key it had when it was filed; its
// fields may have changed since (the scheduler files a record a minute before its start on
// purpose), so the present key is only the first place to look.
template <class Index, class Key>
auto FindRecord(Index& index, const Key& key, const ReserveEntry* entry) {
    const auto holds = [entry](const auto& item) { return &*item.second == entry; };
    const auto [first, last] = index.equal_range(key);
    const auto found = std::find_if(first, last, holds);
    return found != last ? found : std::find_if(index.begin(), index.end(), holds);
}

// Removes one copy of the line from the lines; false when there is none.
bool TakeOne(std::multiset<std::string>& lines, std::string_view line) {
    const auto found = lines.find(std::string(line));
    if (found == lines.end()) return false;
    lines.erase(found);
    return true;
}

bool EndsWithLineEnd(std::string_view text) {
    return text.empty() || text.back() == '\n' || text.back() == '\r';
}


}  // namespace

void ReserveList::Clear() {
    byId_.clear();
    byProgram_.clear();
    byStart_.clear();
    takenUnnumbered_.clear();
    handedOver_.clear();
}

int ReserveList::LoadProgramFile(std::wstring_view path) {
    if (path.empty()) return 0;
    shared::ChSetFile channels;
    channels.Load(ChSetPath());
    std::vector<std::shared_ptr<ReserveEntry>> held = HeldRecords();
    Clear();
    std::string bytes;
    if (!platform::ReadWholeFile(path, &bytes, platform::kMaxListFileBytes)) {
        // A missing file holds nothing that a save could lose.
        unreadFile_ = !platform::FoundNoFile(platform::GetLastError());
        return 0;
    }
    unreadFile_ = false;
    const platform::SYSTEMTIME now = LocalNow();
    std::int32_t counter = 1;
    ForEachReservationLine(bytes, [&](std::string_view line) {
        auto parsed = ParsedLine(line, now);
        if (!parsed) return;
        if (parsed->id == 0) takenUnnumbered_.emplace(line);
        std::shared_ptr<ReserveEntry> entry = TakeHeld(held, *parsed);
        if (!entry) entry = std::move(parsed);
        entry->id = counter++;
        const auto channel = channels.entries().find(platform::WideToShiftJis(entry->channelName));
        if (channel != channels.entries().end()) entry->channelValue = channel->second;
        Insert(std::move(entry));
    });
    return 1;
}

std::vector<std::shared_ptr<ReserveEntry>> ReserveList::HeldRecords() const {
    std::vector<std::shared_ptr<ReserveEntry>> held;
    for (const auto& [key, entry] : byStart_) {
        if (entry->assigned == 1 && entry->id != 0) held.push_back(entry);
    }
    return held;
}

std::shared_ptr<ReserveEntry> ReserveList::TakeHeld(
    std::vector<std::shared_ptr<ReserveEntry>>& held, const ReserveEntry& line) {
    const auto it = std::find_if(held.begin(), held.end(), [&](const auto& entry) {
        return entry->id == line.id && entry->ProgramKey() == line.ProgramKey() &&
               StartKey(entry->start) == StartKey(line.start) && entry->title == line.title;
    });
    if (it == held.end()) return nullptr;
    std::shared_ptr<ReserveEntry> entry = std::move(*it);
    held.erase(it);
    return entry;
}

int ReserveList::ParseLine(std::string_view line, ReserveEntry* entry) {
    return ParseProgramLine(line, LocalNow(), entry);
}

int ReserveList::MergeNewFromProgramFile(std::wstring_view path) {
    std::string bytes;
    if (path.empty() || !platform::ReadWholeFile(path, &bytes, platform::kMaxListFileBytes)) {
        return 0;
    }
    const platform::SYSTEMTIME now = LocalNow();
    std::int32_t next = NextId();
    // Lines taken in before and not yet saved over are still in the file: they are not new.
    std::multiset<std::string> known = takenUnnumbered_;
    ForEachReservationLine(bytes, [&](std::string_view line) {
        auto entry = ParsedLine(line, now);
        if (!entry || entry->id != 0 || TakeOne(known, line)) return;
        takenUnnumbered_.emplace(line);
        entry->id = next++;
        Insert(std::move(entry));
    });
    return 1;
}

int ReserveList::SaveProgramFile(std::wstring_view path) {
    if (path.empty() || unreadFile_) return 0;
    const bool holdsUnnumbered = byStart_.size() > byId_.size();
    return holdsUnnumbered ? AppendUnnumbered(path) : RewriteProgramFile(path);
}

int ReserveList::RewriteProgramFile(std::wstring_view path) {
    std::string stored;
    for (const ReserveEntry& entry : Entries())
        stored += FormatProgramLine(entry);
    const bool written = platform::UpdateFileLocked(path, [&](std::string_view current) {
        std::string bytes = stored;
        const auto keep = [&bytes](std::string_view line) {
            bytes += line;
            bytes += "\r\n";
        };
        std::multiset<std::string> taken = takenUnnumbered_;
        ForEachReservationLine(current, [&](std::string_view line) {
            if (IsUnnumberedLine(line) && !TakeOne(taken, line)) keep(line);
        });
        ForEachReservationLine(current, [&](std::string_view line) {
            if (IsBrokenLine(line)) keep(line);
        });
        // A kept line that begins with a byte-order mark must not come first: the next load
        // would skip the mark and read another line than the one kept.
        if (bytes.starts_with(shared::kUtf8ByteOrderMark)) bytes.insert(0, "\r\n");
        return std::optional<std::string>(std::move(bytes));
    }, platform::kMaxListFileBytes);
    if (!written) return 0;
    takenUnnumbered_.clear();
    return 1;
}

int ReserveList::AppendUnnumbered(std::wstring_view path) {
    std::string added;
    std::vector<const ReserveEntry*> appended;
    for (const ReserveEntry& entry : Entries()) {
        if (entry.id != 0 || handedOver_.contains(&entry)) continue;
        added += FormatProgramLine(entry);
        appended.push_back(&entry);
    }
    if (appended.empty()) return 1;
    const bool written = platform::UpdateFileLocked(path, [&](std::string_view current) {
        std::string bytes(current);
        if (!EndsWithLineEnd(bytes)) bytes += "\r\n";
        bytes += added;
        return std::optional<std::string>(std::move(bytes));
    }, platform::kMaxListFileBytes);
    if (!written) return 0;
    handedOver_.insert(appended.begin(), appended.end());
    return 1;
}

int ReserveList::Add(const ReserveEntry* entry, int mode) {
    if (entry == nullptr) return 0;
    if (entry->id != 0) {
        const auto found = byId_.find(entry->id);
        if (found == byId_.end()) return 0;
        ReserveEntry* stored = found->second;
        const std::uint32_t programKey = stored->ProgramKey();
        stored->CopyFrom(*entry);
        // The start index waits for the caller's RekeyById; the programme index must follow at
        // once, or a later Remove would leave it pointing at a deleted record.
        if (stored->ProgramKey() != programKey) {
            EraseFromProgramIndex(stored, programKey);
            byProgram_.emplace(stored->ProgramKey(), stored);
        }
        return 1;
    }
    auto added = std::make_shared<ReserveEntry>(*entry);
    added->postponed = 0;
    added->assigned = 0;
    added->durationSeconds = 0;
    added->id = mode == 1 ? 0 : NextId();
    Insert(std::move(added));
    return 1;
}

int ReserveList::Remove(std::int32_t id) {
    const auto found = byId_.find(id);
    if (found == byId_.end()) return 0;
    ReserveEntry* entry = found->second;
    byId_.erase(found);
    EraseFromProgramIndex(entry, entry->ProgramKey());
    const auto filed = FindRecord(byStart_, StartKey(entry->start), entry);
    if (filed != byStart_.end()) byStart_.erase(filed);
    return 1;
}

int ReserveList::RekeyById(std::int32_t id) {
    for (auto it = byStart_.begin(); it != byStart_.end(); ++it) {
        if (it->second->id != id) continue;
        auto node = byStart_.extract(it);
        node.key() = StartKey(node.mapped()->start);
        byStart_.insert(std::move(node));
        break;
    }
    return 1;
}

ReserveEntry* ReserveList::At(std::size_t index) const {
    if (index >= byStart_.size()) return nullptr;
    return std::next(byStart_.begin(), static_cast<std::ptrdiff_t>(index))->second.get();
}

ReserveEntry* ReserveList::FindById(std::int32_t id) const {
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
}

std::shared_ptr<ReserveEntry> ReserveList::ShareById(std::int32_t id) const {
    const ReserveEntry* entry = FindById(id);
    if (entry == nullptr) return nullptr;
    const auto filed = FindRecord(byStart_, StartKey(entry->start), entry);
    return filed != byStart_.end() ? filed->second : nullptr;
}

ReserveEntry* ReserveList::FirstAfter(std::wstring_view key) const {
    const auto found = byStart_.upper_bound(key);
    return found == byStart_.end() ? nullptr : found->second.get();
}

ReserveEntry* ReserveList::FirstAfter(
    std::wstring_view key, const std::function<bool(const ReserveEntry&)>& accept) const {
    for (auto it = byStart_.upper_bound(key); it != byStart_.end(); ++it) {
        if (accept(*it->second)) return it->second.get();
    }
    return nullptr;
}

std::vector<std::shared_ptr<ReserveEntry>> ReserveList::FiledBetween(
    std::wstring_view afterKey, std::wstring_view beforeKey) const {
    std::vector<std::shared_ptr<ReserveEntry>> filed;
    for (auto it = byStart_.upper_bound(afterKey); it != byStart_.end() && it->first < beforeKey;
         ++it)
        filed.push_back(it->second);
    return filed;
}

void ReserveList::Insert(std::shared_ptr<ReserveEntry> entry) {
    ReserveEntry* record = entry.get();
    if (record->id != 0) byId_.emplace(record->id, record);
    byProgram_.emplace(record->ProgramKey(), record);
    byStart_.emplace(StartKey(record->start), std::move(entry));
}

std::int32_t ReserveList::NextId() const {
    return byId_.empty() ? 1 : byId_.rbegin()->first + 1;
}

void ReserveList::EraseFromProgramIndex(const ReserveEntry* entry, std::uint32_t programKey) {
    const auto found = FindRecord(byProgram_, programKey, entry);
    if (found != byProgram_.end()) byProgram_.erase(found);
}

}  // namespace timer_core
