// The present and following programme of the tuned service, worked out from the EPG store's
// present/following events and the broadcast clock: the two display texts of the plug-in window,
// the iEPG texts (NowData, NextData), the programme event record (EVENT) and the programme text
// file a recording asked for.
//
// Update runs on the capture worker thread, the thread that fills the store; the window reads
// the texts on its own thread after the refresh message. The texts and the programme-text
// request are kept under a lock, so the window always copies a whole text, never one being
// replaced.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "broadcast/epg_store.h"
#include "shared/shared_memory_layouts.h"

namespace capture_plugin {

// What the window knows at the time of an update.
struct ProgramInfoContext {
    std::uint64_t broadcastTime = 0;  // FILETIME; 0 until the first time table
    std::uint16_t transportStreamId = 0;
    std::int32_t currentService = -1;
    std::uint32_t currentChannel = 0;
    std::int32_t captureRunning = 0;
    platform::HWND pluginWindow = 0;
    platform::HWND hostWindow = 0;
};

// Where the results go: the window's shared memory, its message queue and the recording folder.
class ProgramInfoOutput {
  public:
    virtual ~ProgramInfoOutput() = default;
    virtual void PublishNowData(std::string_view iepgText) = 0;
    virtual void PublishNextData(std::string_view iepgText) = 0;
    virtual void PublishEvent(const shared::PluginEventInfo& info) = 0;
    // A display text changed: the window refreshes its edits (message 0x465).
    virtual void RefreshTexts() = 0;
    // The requested programme is on air: write the recording's programme text file.
    virtual void WriteProgramTxt(const std::wstring& displayText) = 0;
};

class ProgramInfo {
  public:
    // Works out the present and following programme and hands what changed to `output`.
    void Update(const broadcast::EpgStore& store, const ProgramInfoContext& context,
                ProgramInfoOutput& output);

    // Copies of the texts of the present and the following programme.
    std::wstring PresentText() const;
    std::wstring FollowingText() const;

    // Asks for the programme text file of (service, event) once that event is on air; replaces
    // an earlier request.
    void RequestProgramText(std::uint16_t serviceId, std::uint16_t eventId);
    bool ProgramTextRequested() const;

  private:
    struct Present {
        const broadcast::EpgEventRecord* event = nullptr;
        std::uint64_t end = 0;  // FILETIME
        platform::SYSTEMTIME endTime;
    };

    Present FindPresent(const broadcast::EventMap& events, std::uint64_t now);
    const broadcast::EpgEventRecord* FindFollowing(const broadcast::EventMap& events,
                                                   std::uint64_t presentEnd);
    // Replaces the text when it differs other than in letter case; true when replaced.
    bool ReplaceText(std::wstring& text, std::wstring next);
    bool TakeProgramTextRequest(const broadcast::EpgEventRecord& present);
    // Publishes the event record with the window's present state.
    void Publish(const ProgramInfoContext& context, ProgramInfoOutput& output);

    mutable std::mutex mutex_;
    std::wstring presentText_;
    std::wstring followingText_;
    bool requestFlag_ = false;
    std::uint16_t requestServiceId_ = 0;
    std::uint16_t requestEventId_ = 0;

    // The event record as last filled, and as last published; worker thread only.
    shared::PluginEventInfo event_;
    shared::PluginEventInfo lastPublished_;
    bool published_ = false;
};

}  // namespace capture_plugin
