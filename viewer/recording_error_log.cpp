#include "viewer/recording_error_log.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/file_handle.h"

namespace viewer {
namespace {

constexpr std::uint64_t kCheckPeriodMs = 15000;

const char* CardStateName(std::int32_t state) {
    static const char* const kNames[] = {"DTV_CARD_OK",
                                         "DTV_CARD_NOREADER",
                                         "DTV_CARD_NOCARD",
                                         "DTV_CARD_REINSERTCARD",
                                         "DTV_CARD_ERROR",
                                         "DTV_CARD_GENERAL_ERROR",
                                         "DTV_CARD_NOTINITIALIZED"};
    return state >= 0 && state <= 6 ? kNames[state] : "?";
}

std::string Stamp() {
    platform::SYSTEMTIME t;
    platform::GetLocalTime(&t);
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

}  // namespace

RecordingErrorLog::RecordingErrorLog(std::wstring recordingPath)
    : path_(std::move(recordingPath) + std::wstring(kErrorLogSuffix)) {}

void RecordingErrorLog::Started(std::uint32_t channel, std::uint16_t service,
                                const ReceptionCounts& counts) {
    Append(Stamp() + " Start Channel:" + std::to_string(channel) +
           " Service:" + std::to_string(service) + " " + CountsText(counts));
    logged_ = counts;
    lastCheckTick_ = platform::GetTickCount64();
}

void RecordingErrorLog::Update(const ReceptionCounts& counts) {
    const std::uint64_t now = platform::GetTickCount64();
    if (now - lastCheckTick_ < kCheckPeriodMs) return;
    lastCheckTick_ = now;
    if (counts.errors == logged_.errors && counts.scrambled == logged_.scrambled &&
        counts.cardState == 0) {
        return;
    }
    Append(Stamp() + " " + CountsText(counts));
    logged_ = counts;
}

void RecordingErrorLog::WriteFailed(std::uint32_t error, const ReceptionCounts& counts) {
    Append(Stamp() + " Write Error:" + std::to_string(error) + " " + CountsText(counts));
}

void RecordingErrorLog::Stopped(const ReceptionCounts& counts) {
    Append(Stamp() + " Stop Packets:" + std::to_string(counts.packets) + " " + CountsText(counts));
}

std::string RecordingErrorLog::CountsText(const ReceptionCounts& counts) {
    return "Errors:" + std::to_string(counts.errors) +
           " Scramble:" + std::to_string(counts.scrambled) +
           " Card:" + CardStateName(counts.cardState);
}

void RecordingErrorLog::Append(const std::string& text) {
    platform::FileHandle file = platform::CreateFileW(
        path_, platform::GENERIC_WRITE, platform::FILE_SHARE_READ, platform::OPEN_ALWAYS);
    if (!file.IsValid()) return;
    file.SetPointer(0, platform::FILE_END);
    file.WriteAll(text + "\r\n");
}

}  // namespace viewer
