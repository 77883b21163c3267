// COrvandelDlg: the window's EPG store from the EpgData folder, and the automatic reservations
// made from it after every load.
#include "platform/code_page.h"
#include "shared/ch_set_file.h"
#include "shared/epg_data_folder.h"
#include "timer_core/epg/epg_search.h"
#include "timer_core/epg/load_epg_data_files.h"
#include "timer_ui/auto_add_dlg.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/wait_dlg.h"

namespace timer_ui {
namespace {

timer_core::ReserveEntry AutoReserveEntry(const timer_core::SearchResultEntry& hit, int channel) {
    timer_core::ReserveEntry entry;
    entry.title = hit.title;
    entry.start = hit.start;
    entry.durationMinutes = static_cast<std::uint32_t>(hit.duration);
    entry.channelName = hit.serviceName;
    entry.channelValue = channel;
    entry.serviceId = hit.serviceId;
    entry.eventId = hit.eventId;
    entry.priority = static_cast<std::uint8_t>(hit.priority);
    entry.follow = static_cast<std::uint8_t>(hit.follow);
    entry.id = 0;
    return entry;
}

}  // namespace

void COrvandelDlg::ReloadEpgData() {
    CWaitDlg wait;
    wait.Create(GetSafeHwnd());
    wait.ShowNow();
    EmptyEpgStore();
    if (timer_core::LoadEpgDataFiles(shared::EpgDataFolder(documentsFolder_), *epgStore_)) {
        ApplyAutoReservations();
    } else {
        // Nothing half loaded stays behind: the search would take it for the whole guide.
        EmptyEpgStore();
        messageBox_.Show(texts::kEpgLoadFailed);
    }
    wait.DestroyWindow();
}

void COrvandelDlg::EmptyEpgStore() {
    epgStore_->Clear();
    epgStore_->ClearServices();
    epgStore_->ClearPresentFollowing();
}

void COrvandelDlg::ApplyAutoReservations() {
    if (epgStore_->schedules.empty()) return;
    CAutoAddDlg conditions(iniPath_);
    conditions.SetStore(epgStore_.get());
    conditions.File().Load();
    conditions.SearchAllConditions();
    shared::ChSetFile channels;
    if (!channels.Load(chSetPath_)) {
        messageBox_.Show(texts::kChannelListReadFailed);
        return;
    }
    for (const auto& [key, hit] : conditions.Results()) {
        const auto channel = channels.entries().find(platform::WideToShiftJis(hit.serviceName));
        if (channel == channels.entries().end()) {
            // What was added so far stays in the store and reaches the file with its next save.
            messageBox_.Show(texts::kChannelListReadFailed);
            return;
        }
        const timer_core::ReserveEntry entry = AutoReserveEntry(hit, channel->second);
        timer_core::AddReserveUnlessKnown(*timerManager_, &entry);
    }
    SaveReservations();
    LoadReservations();
    Tick(0);
}

}  // namespace timer_ui
