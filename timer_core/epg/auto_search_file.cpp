#include "timer_core/epg/auto_search_file.h"

#include <cwchar>

#include "platform/atomic_file_writer.h"
#include "platform/code_page.h"
#include "platform/file_errors.h"
#include "platform/file_handle.h"
#include "platform/file_operations.h"
#include "platform/known_folders.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/whole_file.h"
#include "shared/channel_table_text.h"
#include "shared/epg_data_folder.h"
#include "shared/text_lines.h"

namespace timer_core {
namespace {

constexpr wchar_t kTab = L'\t';
constexpr wchar_t kTilde = L'\uFF5E';  // FULLWIDTH TILDE, 0x81 0x60 in the file
constexpr std::wstring_view kWeekdayLetters = L"月火水木金土日";  // Monday to Sunday

// Reads one TAB-ended column off the front of `rest`; false when no TAB is left.
bool TakeColumn(std::wstring_view& rest, std::wstring_view* column) {
    const std::size_t tab = rest.find(kTab);
    if (tab == rest.npos) return false;
    *column = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
    return true;
}

// "H:M～H:M", every number read as atoi reads it; false when a separator is missing.
bool ParseTimeWindow(std::wstring_view column, AutoSearchCondition* condition) {
    const std::size_t colon = column.find(L':');
    if (colon == column.npos) return false;
    const std::size_t tilde = column.find(kTilde, colon + 1);
    if (tilde == column.npos) return false;
    const std::size_t endColon = column.find(L':', tilde + 1);
    if (endColon == column.npos) return false;
    condition->startHour = shared::LeadingDecimal(column.substr(0, colon));
    condition->startMinute = shared::LeadingDecimal(column.substr(colon + 1, tilde - colon - 1));
    condition->endHour = shared::LeadingDecimal(column.substr(tilde + 1, endColon - tilde - 1));
    condition->endMinute = shared::LeadingDecimal(column.substr(endColon + 1));
    return true;
}

void ParseWeekdays(std::wstring_view column, AutoSearchCondition* condition) {
    for (int day = 0; day < kWeekdayCount; ++day) {
        condition->weekdays[day] = column.find(kWeekdayLetters[day]) != column.npos ? 1 : 0;
    }
}

// Every number that a half-width space ends; the text after the last space is ignored.
void ParseServiceKeys(std::wstring_view rest, AutoSearchCondition* condition) {
    for (std::size_t space = rest.find(L' '); space != rest.npos; space = rest.find(L' ')) {
        condition->serviceKeys.push_back(shared::LeadingDecimal(rest.substr(0, space)));
        rest.remove_prefix(space + 1);
    }
}

void AppendNumber(std::wstring& line, const wchar_t* format, int value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, format, value);
    line += buffer;
}

// The file's empty stand-in when it is missing; an existing file is never touched.
void CreateEmptyFile(const std::wstring& documents, const std::wstring& path) {
    platform::CreateDirectoryW(shared::TimerDataFolder(documents));
    platform::CreateFileW(path, platform::GENERIC_READ | platform::GENERIC_WRITE,
                          platform::FILE_SHARE_READ, platform::CREATE_NEW);
}

}  // namespace

std::wstring KeywordsForFile(std::wstring_view words) {
    return shared::OneLineName(words, L"\t\r\n");
}

AutoSearchFile::AutoSearchFile() : documentsFolder_(platform::GetDocumentsFolder()) {
    // Without a Documents folder the path would name a folder relative to wherever the program
    // runs; the file is then neither read nor written.
    if (!documentsFolder_.empty()) {
        filePath_ =
            platform::JoinPath(shared::TimerDataFolder(documentsFolder_), L"AutoSearch.txt");
    }
}

void AutoSearchFile::Load() {
    conditions.clear();
    unreadFile_ = false;
    if (filePath_.empty()) return;
    std::string bytes;
    if (!platform::ReadWholeFile(filePath_, &bytes, platform::kMaxListFileBytes)) {
        unreadFile_ = !platform::FoundNoFile(platform::GetLastError());
        if (!unreadFile_) CreateEmptyFile(documentsFolder_, filePath_);
        return;
    }
    shared::ForEachEditedLine(bytes, [this](std::string_view line) {
        if (!line.empty() && line.front() == ';') return;
        AutoSearchCondition condition;
        if (ParseLine(line, &condition)) {
            const int key = static_cast<int>(conditions.size());
            conditions.emplace(key, std::move(condition));
        }
    });
}

int AutoSearchFile::Save() const {
    if (filePath_.empty() || unreadFile_) return 0;
    std::string bytes;
    for (const auto& [key, condition] : conditions)
        FormatLine(&bytes, condition);
    platform::CreateDirectoryW(shared::TimerDataFolder(documentsFolder_));
    return platform::WriteFileAtomically(filePath_, bytes) ? 1 : 0;
}

int AutoSearchFile::ParseLine(std::string_view line, AutoSearchCondition* condition) {
    if (line.empty()) return 0;
    const std::wstring wide = platform::ShiftJisToWide(line);
    std::wstring_view rest = wide;
    std::wstring_view column;
    if (!TakeColumn(rest, &column)) return 0;
    condition->andWords = column;
    if (!TakeColumn(rest, &column)) return 0;
    condition->notWords = column;
    if (!TakeColumn(rest, &column)) return 0;
    condition->titleOnly = shared::LeadingDecimal(column);
    if (!TakeColumn(rest, &column)) return 0;
    condition->genre = shared::LeadingDecimal(column);
    if (!TakeColumn(rest, &column) || !ParseTimeWindow(column, condition)) return 0;
    if (!TakeColumn(rest, &column)) return 0;
    ParseWeekdays(column, condition);
    if (!TakeColumn(rest, &column)) return 0;
    condition->priority = shared::LeadingDecimal(column);
    if (!TakeColumn(rest, &column)) return 0;
    condition->follow = shared::LeadingDecimal(column);
    ParseServiceKeys(rest, condition);
    return 1;
}

int AutoSearchFile::FormatLine(std::string* text, const AutoSearchCondition& condition) {
    std::wstring line = KeywordsForFile(condition.andWords);
    // A line that begins with ";" would load as a comment and the condition would be lost; a
    // space before it leaves the words the same.
    if (!line.empty() && line.front() == L';') line.insert(0, 1, L' ');
    line += kTab;
    line += KeywordsForFile(condition.notWords);
    line += kTab;
    AppendNumber(line, L"%d\t", condition.titleOnly);
    AppendNumber(line, L"%d\t", condition.genre);
    AppendNumber(line, L"%02d:", condition.startHour);
    AppendNumber(line, L"%02d", condition.startMinute);
    line += kTilde;
    AppendNumber(line, L"%02d:", condition.endHour);
    AppendNumber(line, L"%02d\t", condition.endMinute);
    for (int day = 0; day < kWeekdayCount; ++day) {
        if (condition.weekdays[day] == 1) line += kWeekdayLetters[day];
    }
    line += kTab;
    AppendNumber(line, L"%d\t", condition.priority);
    AppendNumber(line, L"%d\t", condition.follow);
    for (int key : condition.serviceKeys)
        AppendNumber(line, L"%d ", key);
    line += L"\r\n";
    *text += platform::WideToShiftJis(line);
    return 1;
}

}  // namespace timer_core
