#include "timer_ui/orvandel_app.h"

#include <algorithm>

#include "platform/file_handle.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/runtime_folder.h"
#include "platform/window_messages.h"
#include "shared/epg_data_folder.h"
#include "shared/shared_memory_readers.h"
#include "timer_core/epg/ch_set2_list.h"
#include "timer_core/epg/iepg_reader.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_ui/iepg_reservation.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/setting_dlg.h"
#include "timer_ui/start_up_message.h"
#include "ui/message_box.h"

namespace timer_ui {
namespace {

constexpr std::string_view kInstanceMutexName = "Global\\Orvandel";

}  // namespace

COrvandelApp::COrvandelApp(std::wstring commandTail, std::wstring iniPath)
    : commandTail_(std::move(commandTail)), iniPath_(std::move(iniPath)) {}

std::wstring COrvandelApp::IepgPathOf(std::wstring_view commandTail) {
    std::wstring path(commandTail);
    std::erase(path, L'"');
    return path;
}

void COrvandelApp::AddCommandLineReservation(const std::wstring& iepgPath) {
    timer_core::IepgRecord record;
    if (!timer_core::ReadIepgFile(&record, iepgPath)) {
        ShowStartUpMessage(texts::kIepgReadFailed);
        return;
    }
    const std::wstring documents = platform::GetDocumentsFolder();
    timer_core::ChSet2List channels;
    if (!channels.Load(platform::JoinPath(shared::TimerDataFolder(documents), L"ChSet2.txt"))) {
        ShowStartUpMessage(texts::kChannelSettingsReadFailed);
        return;
    }
    int channel = 0;
    if (!FindIepgChannel(channels, record, &channel)) {
        ShowStartUpMessage(texts::kPhysicalChannelNotFound);
        return;
    }
    COrvandelDlg::AddIepgReservation(documents, channel, record);
}

bool COrvandelApp::RuntimeFolderUsable() {
    std::wstring refusal;
    if (!platform::RuntimeFolder(&refusal).empty()) return true;
    ui::MessageBoxWithoutWindowServices(std::wstring(texts::kRuntimeFolderRefused) + refusal,
                                        L"Orvandel");
    return false;
}

bool COrvandelApp::HandOverToRunningInstance() {
    bool existed = false;
    instanceMutex_ = platform::NamedMutex::Create(kInstanceMutexName, true, &existed);
    if (!existed) return false;
    platform::HWND running = 0;
    if (shared::ReadPostTimerHwnd(&running) && running != 0) {
        platform::ShowWindow(running, platform::SW_SHOW);
        platform::SetForegroundWindow(running);
        platform::PostMessageW(running, timer_core::WM_RELOAD_RESERVATIONS, 0, 0);
    }
    return true;
}

void COrvandelApp::FirstStartNotice() {
    if (platform::CreateFileW(iniPath_, platform::GENERIC_READ,
                              platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                              platform::OPEN_EXISTING)
            .IsValid()) {
        return;
    }
    ShowStartUpMessage(texts::kFirstStartNotice);
    // Whatever the user does there, the start goes on.
    CSettingDlg settings(iniPath_);
    settings.DoModal();
}

ui::BOOL COrvandelApp::InitInstance() {
    if (!RuntimeFolderUsable()) return ui::FALSE;
    const std::wstring iepgPath = IepgPathOf(commandTail_);
    if (!iepgPath.empty()) AddCommandLineReservation(iepgPath);
    if (HandOverToRunningInstance()) return ui::FALSE;
    FirstStartNotice();
    COrvandelDlg dialog(iniPath_);
    dialog.DoModal();
    dialog.FreeOwnedItems();
    return ui::FALSE;
}

}  // namespace timer_ui
