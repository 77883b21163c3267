#include "capture_plugin/program_info.h"

#include "capture_plugin/program_text.h"
#include "capture_plugin/program_time.h"
#include "platform/text_case.h"

namespace capture_plugin {

using broadcast::EpgEventRecord;
using broadcast::EventMap;
using platform::FILETIME;
using platform::SYSTEMTIME;

namespace {

void FillTimes(const EpgEventRecord& event, SYSTEMTIME& start, std::int32_t& minutes,
               std::int32_t& seconds) {
    start = EventStart(event);
    start.wDayOfWeek = 0;
    minutes = event.durationHours * 60 + event.durationMinutes;
    seconds = event.durationSeconds;
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

// The present programme as the record tells it: which one, from when, how long.
bool SamePresent(const shared::PluginEventInfo& a, const shared::PluginEventInfo& b) {
    return a.serviceId == b.serviceId && a.eventId == b.eventId && SameTime(a.start, b.start) &&
           a.durationMinutes == b.durationMinutes && a.durationSeconds == b.durationSeconds;
}

}  // namespace

ProgramInfo::Present ProgramInfo::FindPresent(const EventMap& events, std::uint64_t now) {
    for (const auto& [eventId, event] : events) {
        FILETIME end;
        if (!IsTimeInWindow(EventStart(*event), nullptr, EventDurationSeconds(*event),
                            platform::U64ToFileTime(now), &end)) {
            continue;
        }
        event_.serviceId = event->serviceId;
        event_.eventId = event->eventId;
        FillTimes(*event, event_.start, event_.durationMinutes, event_.durationSeconds);
        Present present{event.get(), platform::FileTimeToU64(end), {}};
        platform::FileTimeToSystemTime(&end, &present.endTime);
        return present;
    }
    return {};
}

const EpgEventRecord* ProgramInfo::FindFollowing(const EventMap& events, std::uint64_t presentEnd) {
    for (const auto& [eventId, event] : events) {
        FILETIME start;
        const SYSTEMTIME startTime = EventStart(*event);
        if (!platform::SystemTimeToFileTime(&startTime, &start) ||
            platform::FileTimeToU64(start) != presentEnd) {
            continue;
        }
        event_.nextEventId = event->eventId;
        FillTimes(*event, event_.nextStart, event_.nextDurationMinutes, event_.nextDurationSeconds);
        return event.get();
    }
    return nullptr;
}

bool ProgramInfo::ReplaceText(std::wstring& text, std::wstring next) {
    std::lock_guard lock(mutex_);
    if (platform::EqualsNoCase(text, next)) return false;
    text = std::move(next);
    return true;
}

bool ProgramInfo::TakeProgramTextRequest(const EpgEventRecord& present) {
    std::lock_guard lock(mutex_);
    if (!requestFlag_ || present.serviceId != requestServiceId_ ||
        present.eventId != requestEventId_) {
        return false;
    }
    requestFlag_ = false;
    return true;
}

void ProgramInfo::Update(const broadcast::EpgStore& store, const ProgramInfoContext& context,
                         ProgramInfoOutput& output) {
    if (context.broadcastTime == 0) return;
    const std::uint32_t key = (static_cast<std::uint32_t>(context.transportStreamId) << 16) |
                              static_cast<std::uint32_t>(context.currentService);
    const auto service = store.services.find(key);
    const std::wstring station =
        service != store.services.end() ? service->second->serviceName : std::wstring();
    const auto holder = store.presentFollowing.find(key);
    if (holder == store.presentFollowing.end()) return;
    const EventMap& events = holder->second->events;

    const Present present = FindPresent(events, context.broadcastTime);
    if (present.event == nullptr) return;
    const SYSTEMTIME presentStart = EventStart(*present.event);
    const std::wstring presentText =
        BuildProgramDisplayText(*present.event, presentStart, present.endTime);
    if (ReplaceText(presentText_, presentText)) output.RefreshTexts();
    if (TakeProgramTextRequest(*present.event)) output.WriteProgramTxt(presentText);
    std::string iepg;
    BuildIepgText(&iepg, presentStart, present.endTime, present.event->name, station);
    output.PublishNowData(iepg);

    // A programme that runs longer (or shorter) while on air is told to the timer at once,
    // whether or not the broadcaster moves the following one with it: the timer lengthens its
    // recording from this record alone. Until a following programme was first found, the
    // record stays unpublished, as its following fields would tell nothing.
    const bool presentChanged = published_ && !SamePresent(event_, lastPublished_);
    const EpgEventRecord* following = FindFollowing(events, present.end);
    if (following == nullptr) {
        if (presentChanged) Publish(context, output);
        return;
    }
    const SYSTEMTIME followingStart = EventStart(*following);
    SYSTEMTIME followingEnd = followingStart;
    AddSecondsToSystemTime(followingStart, &followingEnd, EventDurationSeconds(*following));
    std::wstring followingText = BuildProgramDisplayText(*following, followingStart, followingEnd);
    const bool followingChanged = ReplaceText(followingText_, std::move(followingText));
    if (followingChanged || presentChanged) Publish(context, output);
    if (followingChanged) output.RefreshTexts();
    BuildIepgText(&iepg, followingStart, followingEnd, following->name, station);
    output.PublishNextData(iepg);
}

void ProgramInfo::Publish(const ProgramInfoContext& context, ProgramInfoOutput& output) {
    event_.status = context.captureRunning;
    event_.pluginWindow = context.pluginWindow;
    event_.viewerWindow = context.hostWindow;
    event_.channel = context.currentChannel;
    output.PublishEvent(event_);
    lastPublished_ = event_;
    published_ = true;
}

std::wstring ProgramInfo::PresentText() const {
    std::lock_guard lock(mutex_);
    return presentText_;
}

std::wstring ProgramInfo::FollowingText() const {
    std::lock_guard lock(mutex_);
    return followingText_;
}

void ProgramInfo::RequestProgramText(std::uint16_t serviceId, std::uint16_t eventId) {
    std::lock_guard lock(mutex_);
    requestFlag_ = true;
    requestServiceId_ = serviceId;
    requestEventId_ = eventId;
}

bool ProgramInfo::ProgramTextRequested() const {
    std::lock_guard lock(mutex_);
    return requestFlag_;
}

}  // namespace capture_plugin
