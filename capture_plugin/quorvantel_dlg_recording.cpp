// A recording the timer hands to this viewer: its messages 0x434 and 0x43C-0x440, and the two
// timers of a running recording, the error log (1000) and the service follow (1002).
//
// The record request comes from the timer through shared memory. Without a readable request
// 0x43C, 0x43F and 0x440 do nothing, and so does 0x43D: a recording without the request's name,
// length and error-log setting is not started on a guess.
#include "capture_plugin/quorvantel_dlg.h"
#include "capture_plugin/recording_files.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/process.h"
#include "shared/friio_save_path.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {
namespace {

// value as 32-bit arithmetic gives it, without overflow.
std::int32_t Wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

std::optional<shared::RecordRequest> CQuorvantelDlg::ReadRecordRequest() const {
    shared::RecordRequest request;
    if (!shared::ReadRecSharedMemory(platform::GetCurrentProcessId(), &request))
        return std::nullopt;
    return request;
}

int CQuorvantelDlg::IsKnownChannel(const shared::RecordRequest& request) const {
    for (const ChannelItem& item : channelList_) {
        if (item.channel == request.channel) return 1;
    }
    platform::OutputDebugStringW(L"Memmap Err?");
    return 0;
}

std::optional<shared::RecordRequest> CQuorvantelDlg::KnownRecordRequest() const {
    auto request = ReadRecordRequest();
    if (!request || !IsKnownChannel(*request)) return std::nullopt;
    return request;
}

PluginHostStatus CQuorvantelDlg::HostStatus() const {
    PluginHostStatus status;
    if (PluginHost* host = Host()) host->GetStatus(&status);
    return status;
}

void CQuorvantelDlg::PostToHost(UINT message, WPARAM wParam, LPARAM lParam) const {
    platform::PostMessageW(hostWindow_, message, wParam, lParam);
}

void CQuorvantelDlg::OnViewerClose() {
    if (PluginHost* host = Host()) host->CloseViewer();
}

void CQuorvantelDlg::OnPluginTune(WPARAM channel, LPARAM service) {
    const auto request = KnownRecordRequest();
    PluginHost* host = Host();
    if (!request || host == nullptr) return;
    if (static_cast<std::int32_t>(request->channel) != currentChannel_)
        host->SetChannel(static_cast<platform::DWORD>(channel));
    if (request->serviceId != currentService_)
        host->SetService(static_cast<platform::WORD>(service & 0xFFFF));
}

void CQuorvantelDlg::OnPluginRecStart(WPARAM channel, LPARAM service) {
    const auto request = ReadRecordRequest();
    PluginHost* host = Host();
    if (!request || host == nullptr) return;
    if (HostStatus().recording != 0) return;
    if (static_cast<std::int32_t>(request->channel) != currentChannel_)
        host->SetChannel(static_cast<platform::DWORD>(channel));
    if (request->serviceId != currentService_)
        host->SetService(static_cast<platform::WORD>(service & 0xFFFF));
    followedService_ = static_cast<std::int32_t>(service);
    PostToHost(shared::WM_HOST_REC_START, shared::kHostRecStartFlag | (request->minutes & 0xFFFF),
               0);
    // The viewer records whole minutes; the margin around the programme is added at once. (Left
    // to the error log's first line, it went missing whenever no new log was begun: without an
    // error log, beside an earlier recording's log, or without a recording folder.)
    PostToHost(shared::WM_HOST_REC_ADJUST, 0,
               Wrap32(std::int64_t{request->marginSeconds} - 5));
    timerRecording_ = true;
    errorLog_.ResetErrorCount();
    errorLog_.ResetScrambleCount();
    scrambleCount_ = 0;
    if (request->noErrLog == 0) SetTimer(kErrorLogTimer, kErrorLogMs);
}

void CQuorvantelDlg::OnPluginRecStop() {
    timerRecording_ = false;
    KillTimer(kErrorLogTimer);
    KillTimer(kServiceFollowTimer);
    if (HostStatus().recording == 1) PostToHost(shared::WM_HOST_REC_STOP, 0, 0);
}

void CQuorvantelDlg::OnPluginRecLength(WPARAM minutes, LPARAM marginSeconds) {
    if (!KnownRecordRequest()) return;
    const std::int32_t seconds =
        Wrap32(std::int64_t{static_cast<std::int32_t>(minutes)} * 60 +
               static_cast<std::int32_t>(marginSeconds) - HostStatus().recordSeconds - 5);
    PostToHost(shared::WM_HOST_REC_ADJUST, 0, seconds);
}

void CQuorvantelDlg::OnPluginWriteProgramText() {
    if (const auto request = KnownRecordRequest())
        programInfo_.RequestProgramText(request->serviceId, request->eventId);
}

std::optional<shared::RecordRequest> CQuorvantelDlg::FollowService() {
    auto request = ReadRecordRequest();
    if (!request) return std::nullopt;
    if (request->serviceId != currentService_) {
        if (PluginHost* host = Host())
            host->SetService(static_cast<platform::WORD>(followedService_));
    }
    return request;
}

// A timer that ends while it records (closed by the user, or gone without a word) stops its record
// thread without closing the viewer, and a timer started later closes a left viewer only when
// another recording of that tuner kind comes near. The recording runs on to the length it was
// given; the timer's record request lives only as long as the timer holds it. So once the request
// is gone and the viewer records no more, nobody owns the viewer: it closes itself, which also
// frees the tuner and lets the next EPG acquisition run. A timer that still runs closes its
// viewer before it lets go of the request.
void CQuorvantelDlg::CloseWhenTheTimerHasGone(const PluginHostStatus& status) {
    if (!timerRecording_ || status.recording != 0 || ReadRecordRequest()) return;
    timerRecording_ = false;
    platform::OutputDebugStringW(L"the timer that asked for the recording has gone; closing");
    OnViewerClose();
}

void CQuorvantelDlg::OnServiceFollowTimer() {
    if (!FollowService()) KillTimer(kServiceFollowTimer);
}

void CQuorvantelDlg::OnErrorLogTimer() {
    const auto request = FollowService();
    if (!request) return;
    const std::wstring name = shared::RecordFileName(*request);
    if (name.empty()) return;
    std::wstring folder;
    shared::ReadFriioSavePath(&folder);
    // A name the file system would refuse, or no recording folder: the log cannot be opened,
    // the counts are taken all the same.
    const std::wstring path =
        folder.empty() ? std::wstring() : ErrorLogPath(folder, name).value_or(std::wstring());
    const PluginHostStatus status = HostStatus();
    RecordingErrorLog::Tick tick;
    tick.cardState = status.cardState;
    tick.errorCount = status.errorCount;
    tick.scrambleCount = scrambleCount_;
    platform::GetLocalTime(&tick.now);
    const RecordingErrorLog::Result result = errorLog_.Append(path, tick);
    if (result.newLog) scrambleCount_ = 0;
}

}  // namespace capture_plugin
