#include "capture_plugin/quorvantel_dlg.h"

#include <QCloseEvent>

#include "capture_plugin/capture_worker.h"
#include "capture_plugin/channel_list_source.h"
#include "capture_plugin/plugin_ini.h"
#include "capture_plugin/quorvantel_dlg_template.h"
#include "platform/file_handle.h"
#include "platform/file_operations.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "shared/epg_data_folder.h"

namespace capture_plugin {
namespace {

// How long the window waits for the worker before it stops waiting politely; it then waits on
// until the worker's current round is over, as the worker uses the window's members.
constexpr platform::DWORD kWorkerStopWaitMs = 300;

}  // namespace

std::wstring CQuorvantelDlg::HostFolder() {
    return platform::FolderOf(platform::HostExecutablePath());
}

CQuorvantelDlg::CQuorvantelDlg(std::wstring hostFolder)
    : ui::Dialog(kQuorvantelTemplate), hostFolder_(std::move(hostFolder)) {
    iniPath_ = hostFolder_ + L"friio_Quorvantel.ini";
    channelsIniPath_ = hostFolder_ + L"channels.ini";
    bscsIniPath_ = hostFolder_ + L"bscs.ini";
    area_ = ReadFriioArea();
    ReadSettings();
    view_ = ReadIniInt(iniPath_, L"View", 0);

    documentsFolder_ = platform::GetDocumentsFolder();
    const std::wstring dataFolder = shared::TimerDataFolder(documentsFolder_);
    chSetPath_ = platform::JoinPath(dataFolder, L"ChSet.txt");
    chSet2Path_ = platform::JoinPath(dataFolder, L"ChSet2.txt");
    const platform::FileHandle chSet = platform::CreateFileW(
        chSetPath_, platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
        platform::OPEN_EXISTING);
    if (!chSet.IsValid()) platform::CreateDirectoryW(dataFolder);

    store_ = std::make_unique<broadcast::EpgStore>();

    SetDataMap({
        {IDC_PRESENT_TEXT, ui::Ddx::Text, &presentText_},
        {IDC_STATUS_TEXT, ui::Ddx::Text, &statusText_},
        {IDC_VIEW_ONLY, ui::Ddx::Check, &view_},
        {IDC_NEXT_TEXT, ui::Ddx::Text, &followingText_},
    });
    SetMessageMap<CQuorvantelDlg>({
        {IDC_START, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedStart},
        {IDC_CANCEL, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedCancel},
        {IDC_GET_CHSET, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedGetChSet},
        {IDC_VIEW_ONLY, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedViewOnly},
        {IDC_NEXT_PROGRAM, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedNextProgram},
        {IDC_FONT, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedFont},
        {IDC_SETTINGS, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedSetting},
        {IDC_START_EPG_VIEWER, ui::BN_CLICKED, &CQuorvantelDlg::OnBnClickedStartEpgViewer},
    });
}

CQuorvantelDlg::~CQuorvantelDlg() {
    // The base cannot reach OnDestroy any more once this part is gone.
    if (GetSafeHwnd() != 0) DestroyWindow();
    StopWorker();
    FreeQueue();
}

void CQuorvantelDlg::ReadSettings() {
    savePath_ = ReadIniString(iniPath_, L"SavePath", L"");
    epgPath_ = ReadIniString(iniPath_, L"EpgPath", L"");
    bsBasicOnly_ = ReadIniInt(iniPath_, L"BSBasicOnly", 0);
    csBasicOnly_ = ReadIniInt(iniPath_, L"CSBasicOnly", 0);
    startOption_ = ReadIniInt(iniPath_, L"StartOption", 0);
    timeSync_ = ReadIniInt(iniPath_, L"TimeSync", 0);
}

void CQuorvantelDlg::SaveBasicSettings() {
    UpdateData(true);
    WriteIniString(iniPath_, L"SavePath", savePath_);
    WriteIniInt(iniPath_, L"View", view_);
}

BOOL CQuorvantelDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    CheckDlgButton(IDC_VIEW_ONLY, view_);
    pluginWindow_ = GetSafeHwnd();
    if (!worker_) StartWorker();
    UpdateData(true);
    RemoveCloseCommand();
    EnableItem(IDC_CANCEL, false);
    defArea_ = ReadIniString(iniPath_, L"DefArea", L"");
    ApplyLayoutSettings();
    UpdateData(false);
    SetTimer(kStatusPollTimer, kStatusPollMs);
    RestartClockSyncTimer();
    return platform::TRUE;
}

void CQuorvantelDlg::OnDestroy() {
    for (UINT_PTR id :
         {kClockSyncTimer, kFetchTimer, kServiceFollowTimer, kStatusPollTimer, kErrorLogTimer}) {
        KillTimer(id);
    }
    KillTimer(kSettleTimer);
    SaveLayoutSettings();
    SaveLastTerrestrialArea(iniPath_, tunerKind_, area_);
    SaveBasicSettings();
    StopWorker();
    FreeQueue();
    std::lock_guard lock(storeLock_);
    store_.reset();
}

bool CQuorvantelDlg::PreTranslateMessage(platform::MSG& msg) {
    // Neither Enter nor Escape may press a button or close the window.
    if (msg.message == ui::WM_KEYDOWN &&
        (msg.wParam == ui::VK_RETURN || msg.wParam == ui::VK_ESCAPE))
        return false;
    return ui::Dialog::PreTranslateMessage(msg);
}

void CQuorvantelDlg::closeEvent(QCloseEvent* event) {
    // A close the window system reports comes from the user and is refused. A close the
    // application asks for itself is its quitting, which the window must not hold up: on
    // Windows the viewer's end takes its owned windows along.
    if (event->spontaneous()) {
        ui::Dialog::closeEvent(event);
        return;
    }
    event->accept();
}

void CQuorvantelDlg::StartWorker() {
    // The worker's window and the idle Status are published before its thread runs: a collection
    // the window starts meanwhile (the timer may ask at once) is then never undone by them.
    sharedMemory_.WritePostHwnd(GetSafeHwnd(), platform::GetCurrentProcessId());
    {
        std::lock_guard lock(captureLock_);
        PublishStatusLocked(kStatusIdle);
    }
    captureRunning_ = 0;
    worker_ = std::make_unique<platform::Thread>(
        [this, hwnd = GetSafeHwnd()] { return CaptureThreadProc(this, hwnd); }, true);
    workerRunning_ = true;
    worker_->Resume();
}

void CQuorvantelDlg::StopWorker() {
    if (!worker_) return;
    workerRunning_ = false;
    platform::SetEvent(stopEvent_);
    if (worker_->Wait(kWorkerStopWaitMs) != platform::WAIT_OBJECT_0) {
        worker_->Wait(platform::INFINITE);
    }
    worker_.reset();  // joins the ended thread
}

void CQuorvantelDlg::FreeQueue() {
    // The worker has ended: the queue is this thread's alone, the lock is only taken for form.
    const bool locked =
        platform::WaitForSingleObject(queueLock_, kWorkerStopWaitMs) == platform::WAIT_OBJECT_0;
    streamQueue_.clear();
    if (locked) platform::SetEvent(queueLock_);
}

}  // namespace capture_plugin
