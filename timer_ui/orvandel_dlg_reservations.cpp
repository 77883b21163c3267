// COrvandelDlg: Program.txt into the store, and the store into the list.
#include <mutex>
#include <vector>

#include "timer_ui/main_window_texts.h"
#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/program_file.h"
#include "timer_ui/reserve_list_texts.h"
#include "ui/list_view.h"

namespace timer_ui {
namespace {

// The rows of every reservation in start order (row n is GetReserveAt(n)), read under the data
// lock in one walk over the store: a look-up per row walks the store from its start each time.
std::vector<ReserveRow> CollectRows(timer_core::TimerManager& manager) {
    std::vector<ReserveRow> rows;
    const std::lock_guard lock(manager.DataLock());
    const timer_core::ReserveList& store = manager.Reservations();
    rows.reserve(store.Count());
    for (const timer_core::ReserveEntry& entry : store.Entries())
        rows.push_back({entry.id, ReserveRowTexts(entry)});
    return rows;
}

}  // namespace

int COrvandelDlg::LoadReservations() {
    return ReadReservations(false);
}

int COrvandelDlg::ReloadReservations() {
    return ReadReservations(true);
}

int COrvandelDlg::ReadReservations(bool merge) {
    auto* list = Item<ui::ListView>(IDC_RESERVE_LIST);
    if (list != nullptr) list->DeleteAllItems();
    if (!EnsureProgramFile(documentsFolder_)) {
        messageBox_.Show(texts::kReserveListNotFound);
        return 0;
    }
    timerManager_->LoadSettings();
    const std::wstring path = ProgramFilePath();
    const int read =
        merge ? timerManager_->MergeReserveFile(path) : timerManager_->LoadReserveFile(path);
    if (!read) {
        messageBox_.Show(texts::kReserveListReadFailed);
        return 0;
    }
    if (merge) {
        FillReserveList();
        Tick(1);
        ShowOverlaps();
    } else {
        ShowOverlaps();
        FillReserveList();
    }
    return 1;
}

void COrvandelDlg::ShowOverlaps() {
    std::wstring report;
    if (timerManager_->CheckOverlaps(&report) == 0) messageBox_.Show(report);
}

void COrvandelDlg::FillReserveList() {
    auto* list = Item<ui::ListView>(IDC_RESERVE_LIST);
    if (list == nullptr) return;
    list->DeleteAllItems();
    const std::vector<ReserveRow> rows = CollectRows(*timerManager_);
    for (std::size_t n = 0; n < rows.size(); ++n)
        AddReserveRow(static_cast<int>(n), rows[n]);
}

void COrvandelDlg::AddReserveRow(int row, const ReserveRow& reserve) {
    auto* list = Item<ui::ListView>(IDC_RESERVE_LIST);
    if (list == nullptr) return;
    const int added = list->InsertItem(row, reserve.texts[0]);
    for (std::size_t column = 1; column < kReserveColumns; ++column)
        list->SetItemText(added, static_cast<int>(column), reserve.texts[column]);
    list->SetItemData(added, reserve.id);
}

int COrvandelDlg::SaveReservations() {
    const int saved = timerManager_->SaveReserveFile(ProgramFilePath());
    if (!saved) messageBox_.Show(texts::kReserveListSaveFailed);
    return saved;
}

}  // namespace timer_ui
