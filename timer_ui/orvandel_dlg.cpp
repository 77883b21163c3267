// COrvandelDlg: construction, start-up, the window's own settings and shutdown.
#include "timer_ui/orvandel_dlg.h"

#include "platform/clock.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "shared/epg_data_folder.h"
#include "timer_ui/application_icon.h"
#include "timer_ui/orvandel_dlg_template.h"
#include "timer_ui/program_file.h"
#include "ui/list_view.h"

namespace timer_ui {
namespace {

constexpr platform::DWORD kSettingTextChars = 512;

std::wstring ReadSettingText(const std::wstring& iniPath, const wchar_t* key) {
    wchar_t buffer[kSettingTextChars] = {};
    platform::GetPrivateProfileStringW(L"SET", key, L"", buffer, kSettingTextChars,
                                       iniPath.c_str());
    return buffer;
}

std::int32_t ReadSettingInt(const std::wstring& iniPath, const wchar_t* key) {
    return static_cast<std::int32_t>(
        platform::GetPrivateProfileIntW(L"SET", key, 0, iniPath.c_str()));
}

struct Column {
    const wchar_t* heading;
    int width;
};

constexpr Column kColumns[] = {
    {L"日時", 200},  {L"放送局", 100}, {L"番組名", 150},
    {L"優先度", 70}, {L"追従", 50},    {L"結果", 400},
};

}  // namespace

COrvandelDlg::COrvandelDlg(std::wstring iniPath)
    : ui::Dialog(kOrvandelTemplate),
      iniPath_(std::move(iniPath)),
      timerManager_(std::make_unique<timer_core::TimerManager>(iniPath_)),
      epgStore_(std::make_unique<broadcast::EpgStore>()) {
    icon_ = ApplicationIcon();
    SetMessageMap<COrvandelDlg>({
        {IDC_SETTING, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedSetting},
        {IDC_START_EPG_VIEWER, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedStartEpgViewer},
        {IDC_AUTO_ADD, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedAutoAdd},
        {IDC_SEARCH, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedSearch},
        {IDC_EPG_RELOAD, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedEpgReload},
        {IDC_CHANGE, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedChange},
        {IDC_DELETE, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedDelete},
        {IDC_STANDBY, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedStandby},
        {IDC_HIBERNATE, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedHibernate},
        {IDC_EXIT, ui::BN_CLICKED, &COrvandelDlg::OnBnClickedExit},
        {IDC_RESERVE_LIST, ui::NM_CLICK, &COrvandelDlg::OnNMClickReserveList},
        {IDC_RESERVE_LIST, ui::NM_DBLCLK, &COrvandelDlg::OnNMDblclkReserveList},
    });
}

COrvandelDlg::~COrvandelDlg() {
    // The base cannot reach OnDestroy any more once this part is gone.
    if (GetSafeHwnd() != 0) DestroyWindow();
    StopResumeListener();
}

ui::BOOL COrvandelDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    setWindowIcon(icon_);
    DragAcceptFiles(true);

    timerManager_->SetMainWindow(GetSafeHwnd());
    lastActionTick_.reset();

    InitPaths();
    InitList();
    LoadSettings();
    LoadReservations();
    ReloadEpgData();

    sharedMemory_.WritePostTimerHwnd(GetSafeHwnd());
    StartSuspendAnswer();
    Tick(0);
    CheckEpgAcquisition();

    SetTimer(kTickTimer, kTickMs);
    SetTimer(kEpgCheckTimer, kEpgCheckMs);
    AddNotifyIcon();
    SetTimer(kMessageToFrontTimer, kMessageToFrontMs);
    reloadLock_.emplace(false, true);
    StartResumeListener();
    platform::ReportProgramReady();
    return ui::TRUE;
}

void COrvandelDlg::InitPaths() {
    documentsFolder_ = platform::GetDocumentsFolder();
    const std::wstring dataFolder = shared::TimerDataFolder(documentsFolder_);
    chSetPath_ = platform::JoinPath(dataFolder, L"ChSet.txt");
    chSet2Path_ = platform::JoinPath(dataFolder, L"ChSet2.txt");
}

void COrvandelDlg::InitList() {
    if (auto* list = Item<ui::ListView>(IDC_RESERVE_LIST)) {
        list->SetExtendedStyle(ui::LVS_EX_FULLROWSELECT | ui::LVS_EX_CHECKBOXES);
        int index = 0;
        for (const Column& column : kColumns)
            list->InsertColumn(index++, column.heading, ui::LVCFMT_LEFT, column.width);
    }
    WidenForColumns();
    selectedRow_ = -1;
}

void COrvandelDlg::LoadSettings() {
    friioViewPath_ = ReadSettingText(iniPath_, L"FriioViewPath");
    epgViewPath_ = ReadSettingText(iniPath_, L"EpgViewPath");
    recEnd_ = ReadSettingInt(iniPath_, L"RecEnd");
    viewOption_ = ReadSettingInt(iniPath_, L"ViewOption");
}

std::wstring COrvandelDlg::ProgramFilePath() const {
    return timer_ui::ProgramFilePath(documentsFolder_);
}

void COrvandelDlg::OnSysCommand(WPARAM command, LPARAM lParam) {
    if ((command & 0xFFF0) == ui::SC_CLOSE) {
        timerManager_->StopAllRecordThreads();
        messageBox_.Close();
    }
    ui::Dialog::OnSysCommand(command, lParam);
}

void COrvandelDlg::OnDestroy() {
    messageBox_.Close();
    timerManager_->StopAllRecordThreads();
    DeleteNotifyIcon();
    StopResumeListener();
    // A program that has ended holds the machine awake no longer.
    suspendAnswer_.reset();
    ui::Dialog::OnDestroy();
}

void COrvandelDlg::FreeOwnedItems() {
    reloadLock_.reset();
}

}  // namespace timer_ui
