// The plug-in's one window: a modeless dialog owned by the viewer's window. It owns everything
// the plug-in keeps between the viewer's calls: its settings, the viewer's channel list, the
// stream queue, the capture worker thread, the EPG store and the shared-memory handles. It runs
// on the viewer's user-interface thread; the capture worker (capture_worker.h) runs beside it.
//
// Sharing with the worker:
// - the stream queue: under the queue-lock event (a wait of at most 500 ms takes it);
// - flags, counters and the current channel: atomics;
// - the collection (capture list, capture index, capture generation, the published Status):
//   under captureLock_. Start and Cancel begin a new generation; the worker reads a snapshot of
//   its target with the generation and acts on the collection (advance, finish) only while that
//   generation is still current, so a Cancel can never be undone by a worker that was in the
//   middle of a chunk;
// - the EPG store: under storeLock_; the worker holds it while it feeds packets or replaces the
//   store, the window while it reads the store (channel-setting fetch);
// - the host's polled status: under polledStatusLock_;
// - the programme texts: kept by ProgramInfo under its own lock; the worker replaces them, the
//   window copies them into its edits on 0x465;
// - the broadcast clock offset: an atomic word of BroadcastClock.
//
// The window's parts live in files of their own: quorvantel_dlg.cpp (construction, settings,
// start and end), quorvantel_dlg_messages.cpp (window procedure), quorvantel_dlg_timers.cpp
// (timers), quorvantel_dlg_capture.cpp (Start, Cancel, buttons), quorvantel_dlg_stream.cpp
// (stream queue, channel change), quorvantel_dlg_channel_list.cpp, quorvantel_dlg_fetch.cpp
// (channel-setting fetch), quorvantel_dlg_program_info.cpp, quorvantel_dlg_clock.cpp,
// quorvantel_dlg_recording.cpp (the timer's recording messages and timers 1000 and 1002),
// quorvantel_dlg_rec_file_name.cpp, quorvantel_dlg_layout.cpp (both views, font and colour) and
// quorvantel_dlg_buttons.cpp (font, settings and EPG viewer buttons).
#pragma once

#include <QFont>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "broadcast/epg_store.h"
#include "capture_plugin/broadcast_clock.h"
#include "capture_plugin/channel_item.h"
#include "capture_plugin/program_info.h"
#include "capture_plugin/recording_error_log.h"
#include "capture_plugin/stream_buffer.h"
#include "platform/event.h"
#include "platform/thread.h"
#include "shared/dtv_plugin.h"
#include "shared/shared_memory_block.h"
#include "ui/dialog.h"
#include "ui/log_font.h"

namespace broadcast {
class StreamSiCapture;
}

namespace capture_plugin {

class CaptureWorker;

// Controls of the window.
inline constexpr int IDC_PRESENT_TEXT = 5002;
inline constexpr int IDC_PRESENT_LABEL = 5011;
inline constexpr int IDC_NEXT_LABEL = 5012;
inline constexpr int IDC_START = 5004;
inline constexpr int IDC_CANCEL = 5005;
inline constexpr int IDC_STATUS_TEXT = 5006;
inline constexpr int IDC_GET_CHSET = 5007;
inline constexpr int IDC_START_EPG_VIEWER = 5008;
inline constexpr int IDC_VIEW_ONLY = 5009;
inline constexpr int IDC_NEXT_TEXT = 5010;
inline constexpr int IDC_NEXT_PROGRAM = 5017;
inline constexpr int IDC_FONT = 5018;
inline constexpr int IDC_SETTINGS = 5027;

using platform::BOOL;
using platform::UINT;
using platform::UINT_PTR;

// Timers of the window.
inline constexpr UINT_PTR kSettleTimer = 101;
inline constexpr UINT kSettleMs = 8000;
inline constexpr UINT_PTR kErrorLogTimer = 1000;
inline constexpr UINT kErrorLogMs = 15000;
inline constexpr UINT_PTR kStatusPollTimer = 1001;
inline constexpr UINT kStatusPollMs = 5000;
inline constexpr UINT_PTR kServiceFollowTimer = 1002;
inline constexpr UINT kServiceFollowMs = 500;
inline constexpr UINT_PTR kFetchTimer = 1003;
inline constexpr UINT kFetchFirstMs = 7000;
inline constexpr UINT kFetchNextMs = 7500;
inline constexpr UINT_PTR kClockSyncTimer = 1004;
inline constexpr UINT kClockSyncMs = 10000;

// Capture status values published in the Status object.
inline constexpr std::int32_t kStatusIdle = 0;
inline constexpr std::int32_t kStatusCapturing = 1;
inline constexpr std::int32_t kStatusFileError = 2;
inline constexpr std::int32_t kStatusFinished = 3;

// The stream queue's bounds.
inline constexpr platform::DWORD kQueueLockWaitMs = 500;
inline constexpr std::size_t kQueueLimit = 500;

class CQuorvantelDlg : public ui::Dialog, private ProgramInfoOutput {
  public:
    using HWND = platform::HWND;
    using WPARAM = platform::WPARAM;
    using LPARAM = platform::LPARAM;
    using LRESULT = platform::LRESULT;

    // hostFolder: the viewer's folder (its channel lists and the plug-in's ini), with a trailing
    // separator.
    explicit CQuorvantelDlg(std::wstring hostFolder = HostFolder());
    ~CQuorvantelDlg() override;

    // The folder of the host process's executable, with a trailing separator.
    static std::wstring HostFolder();

    // --- the plug-in object's calls ---------------------------------------------------------
    void SetHost(PluginHost* host) { host_.store(host); }
    PluginHost* Host() const { return host_.load(); }
    void SetHostWindow(HWND hostWindow) { hostWindow_ = hostWindow; }
    HWND HostWindow() const { return hostWindow_.load(); }
    // Any thread.
    void StorePolledStatus(const PluginHostStatus& status);
    PluginHostStatus PolledStatus() const;
    // The viewer's tuner thread: queues a copy of the chunk (dropped when the queue lock cannot
    // be had within 500 ms, or before the worker runs).
    void EnqueueStream(const platform::BYTE* data, platform::DWORD size);
    void OnChannelChanged(platform::DWORD channel, platform::DWORD service);
    void GetRecFileName(wchar_t* path, platform::DWORD bufferChars);
    void LoadChannelList();

    // --- EPG collection and channel-setting fetch -------------------------------------------
    // The Start button, or the timer's request (0x432, `fromTimer`), which a refusal that asking
    // again cannot change (no capture folder, no host, no channel checked) fails with Status 2.
    void Start(bool fromTimer = false);
    void Cancel();
    void DisableForCapture();
    void EnableAfterCapture();
    void OnBnClickedGetChSet();
    void FetchStep();

    // --- settings ---------------------------------------------------------------------------
    void ReadSettings();
    void SaveBasicSettings();

    // --- read by tests and by the other parts of the window ---------------------------------
    const std::vector<ChannelItem>& ChannelList() const { return channelList_; }
    std::int32_t TunerKind() const { return tunerKind_; }
    const std::wstring& StatusText() const { return statusText_; }
    std::int32_t LastPublishedStatus() const { return lastPublishedStatus_.load(); }
    std::int32_t CaptureIndex() const { return captureIndex_.load(); }
    bool Capturing() const { return capturing_.load() != 0; }
    std::size_t CaptureListSize() const;
    std::int64_t ScrambleCount() const { return scrambleCount_.load(); }
    std::int32_t CurrentTransportStreamId() const { return currentTransportStreamId_.load(); }
    std::int32_t CurrentChannel() const { return currentChannel_.load(); }
    bool FetchRunning() const { return fetchRunning_; }
    bool WorkerRunning() const { return workerRunning_.load(); }
    const std::wstring& ChSetPath() const { return chSetPath_; }
    const std::wstring& ChSet2Path() const { return chSet2Path_; }
    const std::wstring& DocumentsFolder() const { return documentsFolder_; }
    std::wstring PresentText() const { return programInfo_.PresentText(); }
    std::wstring FollowingText() const { return programInfo_.FollowingText(); }
    std::int32_t ClockOffset() const { return broadcastClock_.Offset(); }
    std::int32_t FollowedService() const { return followedService_; }
    std::int32_t TimeSync() const { return timeSync_; }
    // The compact view's client size as last laid out.
    std::int32_t CompactWidth() const { return posW_; }
    std::int32_t CompactHeight() const { return posH_; }
    const ui::LOGFONTW& InfoLogFont() const { return infoLogFont_; }
    ui::COLORREF TextColor() const { return textColor_; }
    // Stops the capture worker: sets the stop event and waits until the worker has ended (a
    // bounded first wait, then for as long as its current round takes).
    void StopWorker();

  protected:
    BOOL OnInitDialog() override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnSize(UINT type, int cx, int cy) override;
    bool PreTranslateMessage(platform::MSG& msg) override;
    // The user cannot close the window; the viewer's application can, when it quits.
    void closeEvent(QCloseEvent* event) override;

  private:
    friend class CaptureWorker;
    friend struct CQuorvantelDlgTestAccess;

    // What the worker collects now: a snapshot of the capture entry at the capture index.
    struct CaptureTarget {
        std::uint64_t generation = 0;
        int index = -1;
        ChannelItem entry;
        std::wstring savePath;
    };

    // quorvantel_dlg.cpp
    void StartWorker();
    void FreeQueue();
    // quorvantel_dlg_messages.cpp
    void OnCaptureEnded(std::wstring_view text);
    void OnCaptureFileError();
    void OnSettleTimer();
    // quorvantel_dlg_capture.cpp
    void OnBnClickedStart() { Start(); }
    void OnBnClickedCancel() { Cancel(); }
    void EnableCaptureButtons(bool enable);
    bool StartRefusedByHost();
    // Shows the refusal's box; for the timer's request, Status 2 first.
    void RefuseStart(std::wstring_view text, bool fromTimer);
    void BeginCollection();
    // Under captureLock_.
    void EndCollectionLocked();
    void PublishStatusLocked(std::int32_t status);
    // quorvantel_dlg_stream.cpp
    bool TakeQueueLock();
    void ReleaseQueueLock();
    // Frees every queued chunk when the queue lock can be had; false when it could not.
    bool DropQueuedChunks();
    // For the worker (capture_worker.cpp uses these under the rules above).
    std::optional<CaptureTarget> CurrentCaptureTarget() const;
    // The collection of `generation` ends: when it is still current, posts `message` to the
    // window, clears the capturing flag, publishes `status` and returns true. `failedFile` names
    // the file whose saving failed (0x467), for the status text.
    bool FinishCollection(std::uint64_t generation, HWND window, UINT message, std::int32_t status,
                          std::wstring_view failedFile = {});
    // Moves the collection of `generation` on from the capture entry at `index` (marking its CS
    // group done), skipping what the basic-only modes leave out; returns the new index (the
    // entry count when none is left), or nullopt when the collection is no longer current.
    std::optional<int> AdvanceCollection(std::uint64_t generation, int index,
                                         std::uint32_t finishedChannel);
    // The next channel is tuned: when the collection is still current, clears the capturing
    // flag and posts the settle message (0x468).
    bool ContinueCollection(std::uint64_t generation, HWND window);
    // quorvantel_dlg_program_info.cpp: the worker's programme update and where it publishes.
    void UpdateProgramInfo(const broadcast::StreamSiCapture& context);
    void PublishNowData(std::string_view iepgText) override;
    void PublishNextData(std::string_view iepgText) override;
    void PublishEvent(const shared::PluginEventInfo& info) override;
    void RefreshTexts() override;
    void WriteProgramTxt(const std::wstring& displayText) override;
    // 0x465: the worker's texts into the edits.
    void OnProgramTextsChanged();
    // quorvantel_dlg_clock.cpp
    void SetBroadcastTimeOffset(std::uint64_t broadcastTime);
    void SyncClock();
    void RestartClockSyncTimer();
    // quorvantel_dlg_recording.cpp: the timer's recording messages and the recording's timers.
    // The record request of this viewer, when it can be read.
    std::optional<shared::RecordRequest> ReadRecordRequest() const;
    // 1 when the request's channel is in the channel list; else "Memmap Err?" and 0.
    int IsKnownChannel(const shared::RecordRequest& request) const;
    // The request, when it can be read and names a known channel.
    std::optional<shared::RecordRequest> KnownRecordRequest() const;
    void OnPluginTune(WPARAM channel, LPARAM service);
    void OnPluginRecStart(WPARAM channel, LPARAM service);
    void OnPluginRecStop();
    void OnPluginRecLength(WPARAM minutes, LPARAM marginSeconds);
    void OnPluginWriteProgramText();
    void OnViewerClose();
    // Keeps the host on the followed service; the request when it can be read.
    std::optional<shared::RecordRequest> FollowService();
    void OnErrorLogTimer();
    void OnServiceFollowTimer();
    // Part of the status poll: closes the viewer that a gone timer left after its recording.
    void CloseWhenTheTimerHasGone(const PluginHostStatus& status);
    PluginHostStatus HostStatus() const;
    void PostToHost(UINT message, WPARAM wParam, LPARAM lParam) const;
    // quorvantel_dlg_layout.cpp: position, size, font and colour from the ini and back.
    void ApplyLayoutSettings();
    void SaveLayoutSettings();
    void OnBnClickedViewOnly();
    void OnBnClickedNextProgram();
    void LayoutFull();
    void ShowCompact();
    void LayoutCompact();
    bool CompactView() const;
    void ApplyInfoFont();
    // quorvantel_dlg_buttons.cpp
    void OnBnClickedFont();
    void OnBnClickedSetting();
    void OnBnClickedStartEpgViewer();

    // --- members ----------------------------------------------------------------------------
    std::wstring iniPath_;          // <host folder>friio_Quorvantel.ini
    std::wstring channelsIniPath_;  // <host folder>channels.ini
    std::wstring bscsIniPath_;      // <host folder>bscs.ini
    std::wstring area_;             // registry Area: terrestrial area or "BS110CS"
    std::wstring hostFolder_;       // folder of the viewer's executable, with a trailing separator
    std::wstring defArea_;          // last terrestrial area
    std::wstring epgPath_;          // the user's EPG viewer program
    std::int32_t tunerKind_ = 1;    // reply to 0x101C; 2 = BS/CS tuner
    std::atomic<std::int32_t> bsBasicOnly_{0};
    std::atomic<std::int32_t> csBasicOnly_{0};
    std::int32_t startOption_ = 0;
    std::atomic<HWND> hostWindow_{0};
    std::atomic<PluginHost*> host_{nullptr};
    PluginHostStatus polledStatus_;                          // under polledStatusLock_
    std::deque<std::unique_ptr<StreamBuffer>> streamQueue_;  // under queueLock_
    std::vector<ChannelItem> channelList_;
    std::vector<ChannelItem> captureList_;  // under captureLock_
    std::unique_ptr<platform::Thread> worker_;
    platform::Event stopEvent_{true, false};
    platform::Event queueLock_{false, true};
    std::atomic<std::int32_t> capturing_{0};
    std::atomic<std::int32_t> captureIndex_{-1};  // changed under captureLock_
    std::atomic<std::int32_t> currentChannel_{-1};
    std::atomic<std::int32_t> currentService_{-1};
    shared::SharedMemoryBlock sharedMemory_;
    std::atomic<std::int32_t> captureRunning_{0};
    std::optional<QFont> infoFont_;
    ui::LOGFONTW infoLogFont_;  // the fields of the info font as the ini keeps them
    ui::COLORREF textColor_ = 0;
    std::int32_t posW_ = 365;
    std::int32_t posH_ = 468;
    std::wstring chSetPath_;
    std::wstring chSet2Path_;
    std::wstring documentsFolder_;
    // Programme-text request, present and following texts (worker side), with their lock.
    ProgramInfo programInfo_;
    std::atomic<std::int64_t> scrambleCount_{0};
    // Last logged error and scramble counts (window thread).
    RecordingErrorLog errorLog_;
    // Last broadcast time (worker) and clock offset (atomic).
    BroadcastClock broadcastClock_;
    std::atomic<std::int32_t> channelChanged_{0};
    std::int32_t followedService_ = 0;
    // From a recording the timer asked for (0x43D) until the timer's 0x43E (window thread).
    bool timerRecording_ = false;
    std::unique_ptr<broadcast::EpgStore> store_;  // under storeLock_
    // The channel whose stream the store holds: the worker sets it when a channel change clears
    // the store (under storeLock_); -1 before the first.
    std::int32_t storeChannel_ = -1;
    std::int32_t fetchIndex_ = 0;
    std::int32_t fetchKey_ = 0;  // channel value the running fetch step merges
    std::atomic<std::int32_t> cs1Done_{0};
    std::atomic<std::int32_t> cs2Done_{0};
    std::int32_t timeSync_ = 0;
    std::wstring presentText_;  // edit 5002: the window's copy of the worker's text
    std::wstring savePath_;
    std::wstring statusText_;
    std::int32_t view_ = 0;
    std::wstring followingText_;  // edit 5010: the window's copy

    // Mechanics of the hand-over between the window and the worker.
    std::atomic<std::int32_t> currentTransportStreamId_{0};
    std::atomic<std::int32_t> lastPublishedStatus_{kStatusIdle};  // written under captureLock_
    std::atomic<bool> workerRunning_{false};
    std::atomic<HWND> pluginWindow_{0};    // this window's handle, for the worker's publications
    std::uint64_t captureGeneration_ = 0;  // under captureLock_
    std::wstring captureSavePath_;         // under captureLock_: SavePath of the collection
    std::wstring failedFile_;              // under captureLock_: named with the next 0x467
    bool fetchRunning_ = false;
    mutable std::mutex captureLock_;
    mutable std::mutex storeLock_;
    mutable std::mutex polledStatusLock_;
};

}  // namespace capture_plugin
