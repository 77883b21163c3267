// COrvandelDlg: the buttons beside the list and the clicks on it.
#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

#include "shared/text_lines.h"
#include "timer_core/reservations/reservation_mark.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_ui/auto_add_dlg.h"
#include "timer_ui/auto_add_search_dlg.h"
#include "timer_ui/epg_viewer_start.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/program_info_dlg.h"
#include "timer_ui/reserve_chg_dlg.h"
#include "timer_ui/setting_dlg.h"
#include "ui/list_view.h"

namespace timer_ui {
namespace {

constexpr int kPriorityChoices = 5;
constexpr int kFollowChoices = 2;

// A choice of the change dialog's list, or nullopt when nothing is chosen (a priority or follow
// value from a hand-edited Program.txt that the list does not offer selects nothing; untouched,
// it leaves the reservation's value as it was).
std::optional<int> Choice(int index, int count) {
    if (index < 0 || index >= count) return std::nullopt;
    return index;
}

}  // namespace

void COrvandelDlg::OnBnClickedSetting() {
    CSettingDlg settings(iniPath_);
    settings.SetStore(epgStore_.get());
    if (settings.DoModal(GetSafeHwnd()) != ui::IDOK) return;
    LoadSettings();
    timerManager_->LoadSettings();
    Tick(1);
    CheckEpgAcquisition();
}

void COrvandelDlg::OnBnClickedStartEpgViewer() {
    StartEpgViewer({epgViewPath_, friioViewPath_, viewOption_, documentsFolder_});
}

void COrvandelDlg::OnBnClickedAutoAdd() {
    // Its conditions take effect at the next EPG load; nothing here changes now.
    CAutoAddDlg conditions(iniPath_);
    conditions.SetStore(epgStore_.get());
    conditions.DoModal(GetSafeHwnd());
}

void COrvandelDlg::OnBnClickedSearch() {
    if (epgStore_->schedules.empty()) {
        messageBox_.Show(texts::kNoEpgForSearch);
        return;
    }
    // Its reservations go through the manager; it posts the reload to this window.
    CAutoAddSearchDlg search(iniPath_);
    search.SetMode(CAutoAddSearchDlg::kModeSearch);
    search.SetStore(epgStore_.get());
    search.SetManager(timerManager_.get());
    search.DoModal(GetSafeHwnd());
}

void COrvandelDlg::OnBnClickedEpgReload() {
    ReloadEpgData();
}

void COrvandelDlg::OnBnClickedExit() {
    OnCancel();
}

// --- change -------------------------------------------------------------------------------------

void COrvandelDlg::OnBnClickedChange() {
    if (selectedRow_ == -1) {
        messageBox_.Show(texts::kSelectToChange);
        return;
    }
    CReserveChgDlg dialog;
    std::optional<timer_core::ReservationMark> mark;
    {
        const std::lock_guard lock(timerManager_->DataLock());
        const timer_core::ReserveEntry* entry = timerManager_->GetReserveAt(selectedRow_);
        if (entry == nullptr) {
            messageBox_.Show(texts::kInternalError);
            return;
        }
        mark.emplace(timerManager_->Reservations(), entry->id);
        dialog.startText = timer_core::FormatStartDateTime(entry->start);
        dialog.titleText = entry->title;
        dialog.priorityIndex = entry->priority - 1;
        dialog.followIndex = entry->follow;
        dialog.minutesText = std::to_wstring(entry->durationMinutes);
    }
    if (dialog.DoModal(GetSafeHwnd()) != ui::IDOK) return;
    {
        // Taken again after the dialog: a record thread may have changed it meanwhile, and a load
        // of Program.txt (the end of a timed EPG acquisition) may have renumbered the store.
        const std::lock_guard lock(timerManager_->DataLock());
        const timer_core::ReserveEntry* stored = mark->Find(timerManager_->Reservations());
        if (stored == nullptr) {
            messageBox_.Show(texts::kInternalError);
        } else {
            timer_core::ReserveEntry changed = *stored;
            changed.title = dialog.titleText;
            if (const auto priority = Choice(dialog.priorityIndex, kPriorityChoices))
                changed.priority = static_cast<std::uint8_t>(*priority + 1);
            if (const auto follow = Choice(dialog.followIndex, kFollowChoices))
                changed.follow = static_cast<std::uint8_t>(*follow);
            // A negative length would wrap round to thousands of years.
            changed.durationMinutes =
                static_cast<std::uint32_t>(std::max(shared::LeadingDecimal(dialog.minutesText), 0));
            timerManager_->Reservations().Add(&changed, 0);
        }
    }
    SaveReservations();
    FillReserveList();
    Tick(0);
}

// --- delete -------------------------------------------------------------------------------------

void COrvandelDlg::OnBnClickedDelete() {
    UpdateData(true);
    std::vector<std::int32_t> ids;
    if (const auto* list = Item<ui::ListView>(IDC_RESERVE_LIST)) {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetCheck(row))
                ids.push_back(static_cast<std::int32_t>(list->GetItemData(row)));
        }
    }
    if (ids.empty()) {
        messageBox_.Show(texts::kCheckToDelete);
        return;
    }
    for (const std::int32_t id : ids)
        timerManager_->DeleteReserve(id);
    SaveReservations();
    ReloadReservations();
    UpdateData(false);
}

// --- the list
// -------------------------------------------------------------------------------------

int COrvandelDlg::ListHotItem() const {
    const auto* list = Item<ui::ListView>(IDC_RESERVE_LIST);
    return list != nullptr ? list->GetHotItem() : -1;
}

void COrvandelDlg::OnNMClickReserveList() {
    selectedRow_ = ListHotItem();
}

void COrvandelDlg::OnNMDblclkReserveList() {
    selectedRow_ = ListHotItem();
    if (selectedRow_ == -1) {
        OnBnClickedChange();
        return;
    }
    int channel = 0;
    int serviceId = 0;
    int eventId = 0;
    {
        const std::lock_guard lock(timerManager_->DataLock());
        const timer_core::ReserveEntry* entry = timerManager_->GetReserveAt(selectedRow_);
        if (entry == nullptr) {
            messageBox_.Show(texts::kInternalError);
            return;
        }
        channel = entry->channelValue;
        serviceId = entry->serviceId;
        eventId = entry->eventId;
    }
    timer_core::ChSet2List channels;
    if (!channels.Load(chSet2Path_)) return;
    int transportStreamId = 0;
    if (!channels.FindByCodeAndService(channel, serviceId, &transportStreamId) ||
        transportStreamId == 0) {
        messageBox_.Show(texts::kChannelSearchFailed);
        return;
    }
    CProgramInfoDlg info;
    info.SetProgram(epgStore_.get(), static_cast<std::uint16_t>(transportStreamId),
                    static_cast<std::uint16_t>(serviceId), static_cast<std::uint16_t>(eventId));
    info.DoModal(GetSafeHwnd());
}

}  // namespace timer_ui
