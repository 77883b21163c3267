// The capture worker thread: consumer of the viewer's transport stream. Outside a collection it
// feeds the SI packets to a capture context for the present and following programme (watch
// step); during an EPG collection it also writes them raw to ch<channel>_epg.dat, decides when
// the channel is done (60 to 420 seconds, earlier once the schedule is complete), merges the
// channel's services into the channel tables, copies the file into the timer's EpgData folder
// and tunes the next channel (collection step). A copy that fails ends the collection like a data
// file that cannot be created (0x467, Status 2): the timer must not load an old file as new.
//
// The capture context and the open data file belong to the worker alone. When the worker is
// stopped in the middle of a channel, the data file is closed as it is and not copied, so the
// timer's EpgData folder keeps the last complete file of that channel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "broadcast/stream_si_capture.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "platform/file_handle.h"

namespace capture_plugin {

// The thread procedure: runs until the window's stop event is set. `window` is the plug-in
// window's handle, to which the worker posts its messages. Returns 0.
platform::DWORD CaptureThreadProc(CQuorvantelDlg* dlg, platform::HWND window);

class CaptureWorker {
  public:
    CaptureWorker(CQuorvantelDlg& dlg, platform::HWND window) : dlg_(dlg), window_(window) {}
    platform::DWORD Run();

  private:
    using CaptureTarget = CQuorvantelDlg::CaptureTarget;
    enum class WalkResult { kGoOn, kChannelDone, kFileError };

    // One round of the main loop.
    void Round();
    // The channel changed: starts over with an empty store and queue. False when the queue lock
    // could not be had (the flag stays set for the next round).
    bool RestartOnChannelChange();
    // The oldest queued chunk (null when none); false when the queue lock could not be had.
    bool Pop(std::unique_ptr<StreamBuffer>* chunk, bool* queueEmpty);

    void WatchStep(const StreamBuffer& chunk);
    void CollectionStep(const StreamBuffer& chunk, const CaptureTarget& target);
    WalkResult CollectPackets(const StreamBuffer& chunk, const CaptureTarget& target,
                              int basicOnly);
    bool OpenDataFile(const CaptureTarget& target, int basicOnly);
    bool WritePending();
    void ChannelEnd(const CaptureTarget& target);
    // Closes the data file and copies it into the EpgData folder; false when the copy failed.
    bool CloseAndCopyDataFile();
    // A copy that failed ends the collection as a data file that cannot be created does.
    void EndWithCopyFailure(const CaptureTarget& target);
    void EndCollection(const CaptureTarget& target, platform::UINT message, std::int32_t status);

    // One SI packet into the capture context; its broadcast time goes on to the window's clock.
    // Returns what the context's AddPacket returned.
    int Feed(const platform::BYTE* packet);
    // A new capture context bound to the window's store.
    void NewContext();
    std::int64_t NowSeconds() const;

    CQuorvantelDlg& dlg_;
    const platform::HWND window_;
    std::unique_ptr<broadcast::StreamSiCapture> context_;
    platform::FileHandle dataFile_;
    std::wstring dataPath_;
    std::wstring dataName_;
    std::string pending_;  // SI packets of the current chunk, written once the chunk is walked
    std::int64_t startTime_ = 0;
    bool wasCapturing_ = false;
};

}  // namespace capture_plugin
