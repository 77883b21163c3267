// COrvandelDlg: iEPG files as reservations, dropped on the window or (through the program's
// start) named on the command line.
#include <mutex>

#include "timer_core/reservations/reserve_list.h"
#include "timer_ui/iepg_reservation.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/program_file.h"
#include "timer_ui/start_up_message.h"

namespace timer_ui {

void COrvandelDlg::AddIepgReservation(std::wstring_view documentsFolder, int channel,
                                      const timer_core::IepgRecord& record) {
    if (!EnsureProgramFile(documentsFolder)) {
        ShowStartUpMessage(texts::kReserveListNotFound);
        return;
    }
    const std::wstring path = timer_ui::ProgramFilePath(documentsFolder);
    timer_core::ReserveList reservations;
    if (!reservations.LoadProgramFile(path)) {
        ShowStartUpMessage(texts::kReserveListReadFailed);
        return;
    }
    const timer_core::ReserveEntry entry = MakeIepgReserveEntry(record, channel);
    // Left unnumbered: the save appends the line as it is, for the running instance to number.
    reservations.Add(&entry, 1);
    if (!reservations.SaveProgramFile(path)) ShowStartUpMessage(texts::kReserveListSaveFailed);
}

void COrvandelDlg::OnDropFiles(const std::vector<std::wstring>& paths) {
    timer_core::ChSet2List channels;
    if (!channels.Load(chSet2Path_)) {
        messageBox_.Show(texts::kChannelListReadFailed);
        return;
    }
    for (const std::wstring& path : paths)
        AddDroppedIepgFile(path, channels);
}

void COrvandelDlg::AddDroppedIepgFile(const std::wstring& path,
                                      const timer_core::ChSet2List& channels) {
    timer_core::IepgRecord record;
    if (!timer_core::ReadIepgFile(&record, path)) {
        messageBox_.Show(texts::kIepgReadFailed);
        return;
    }
    int channel = 0;
    if (!FindIepgChannel(channels, record, &channel)) {
        messageBox_.Show(texts::kPhysicalChannelNotFound);
        return;
    }
    const timer_core::ReserveEntry entry = MakeIepgReserveEntry(record, channel);
    {
        const std::lock_guard lock(timerManager_->DataLock());
        timerManager_->Reservations().Add(&entry, 0);
    }
    SaveReservations();
    ReloadReservations();
}

}  // namespace timer_ui
