// The timer's main window, its only long-lived window: the list of reservations with the buttons
// beside it, the notification icon, the scheduler's timers and the messages of the record
// threads, the EPG acquisition and a second program instance. It runs modally from
// COrvandelApp::InitInstance for the whole life of the program.
//
// It owns the TimerManager (and through it the reservations, the record threads and the wake-up
// timer), its own EpgStore loaded from the EpgData folder, the published window handle and the
// non-blocking message box. Everything here runs on the window's thread; the record threads and
// the EPG acquisition thread only post messages. Reservations are read and changed under the
// manager's data lock (timer_core/scheduling/timer_manager.h).
//
// The window's parts live in files of their own: orvandel_dlg.cpp (construction, start-up,
// settings, shutdown), orvandel_dlg_layout.cpp (controls and their placement),
// orvandel_dlg_reservations.cpp (Program.txt and the list), orvandel_dlg_messages.cpp (window
// procedure, timers, notification icon), orvandel_dlg_power.cpp (after-recording action,
// standby, hibernation, the suspend query), orvandel_dlg_commands.cpp (the buttons),
// orvandel_dlg_iepg.cpp (iEPG files) and orvandel_dlg_epg.cpp (EPG reload and automatic
// reservations).
#pragma once

#include <QIcon>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "broadcast/epg_store.h"
#include "platform/event.h"
#include "platform/suspend_query.h"
#include "shared/shared_memory_block.h"
#include "timer_core/epg/ch_set2_list.h"
#include "timer_core/epg/iepg_reader.h"
#include "timer_core/scheduling/timer_ini_path.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_ui/async_message_box.h"
#include "timer_ui/reserve_list_texts.h"
#include "ui/dialog.h"

namespace timer_ui {

using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::UINT_PTR;
using platform::WPARAM;

// The notification icon's callback message; lParam's low word is the mouse message.
inline constexpr UINT WM_TRAY_NOTIFY = 0x465;

class COrvandelDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_RESERVE_LIST = 1027,
        IDC_NOTE = 1073,
        IDC_SETTING = 1003,
        IDC_START_EPG_VIEWER = 1021,
        IDC_AUTO_ADD = 1042,
        IDC_SEARCH = 1048,
        IDC_EPG_RELOAD = 1051,
        IDC_CHANGE = 1025,
        IDC_DELETE = 1005,
        IDC_STANDBY = 1001,
        IDC_HIBERNATE = 1002,
        IDC_EXIT = 1004,
    };

    // Timers: the scheduler tick, the message box to the front once after start-up, the check
    // of the timed EPG acquisition, and the answer to the suspend query renewed (Linux asks no
    // program before a suspend: the answer stands as a lock held in advance).
    static constexpr UINT_PTR kTickTimer = 1000;
    static constexpr UINT_PTR kMessageToFrontTimer = 1001;
    static constexpr UINT_PTR kEpgCheckTimer = 1002;
    static constexpr UINT_PTR kSuspendAnswerTimer = 1003;
    static constexpr UINT kTickMs = 120000;
    static constexpr UINT kMessageToFrontMs = 1500;
    static constexpr UINT kEpgCheckMs = 120000;
    static constexpr UINT kSuspendAnswerMs = 60000;

    static constexpr UINT kNotifyIconId = 100;
    // How long a reload waits for the one before it.
    static constexpr platform::DWORD kReloadLockWaitMs = 300;
    // An after-recording action within this time of the last one shows no countdown.
    static constexpr platform::DWORD kActionGuardMs = 20000;
    // The pause after a record thread's note, before the list is read again.
    static constexpr platform::DWORD kRecordThreadPauseMs = 500;

    // iniPath: the timer's settings file (the one beside the executable for the program).
    explicit COrvandelDlg(std::wstring iniPath = timer_core::TimerIniPathBesideExecutable());
    ~COrvandelDlg() override;

    // Appends one reservation of the iEPG file's programme to <documents>/Orvandel/Program.txt
    // with ID 0, for the running instance's merge (or this instance's own load) to number. Needs
    // no window: the program's start calls it before deciding whether it is the first instance.
    static void AddIepgReservation(std::wstring_view documentsFolder, int channel,
                                   const timer_core::IepgRecord& record);

    // --- what the other parts of the program call ------------------------------------------
    void LoadSettings();
    // Program.txt into the store and the list: a full load (renumbering) or a merge of the lines
    // other writers appended. 1, or 0 after a message.
    int LoadReservations();
    int ReloadReservations();
    void FillReserveList();
    void ReloadEpgData();
    void ApplyAutoReservations();
    void OnBnClickedStandby();
    void OnBnClickedHibernate();
    // After the modal run: closes the reload lock.
    void FreeOwnedItems();

    // --- read by tests ---------------------------------------------------------------------
    timer_core::TimerManager& Manager() { return *timerManager_; }
    broadcast::EpgStore& Store() { return *epgStore_; }
    AsyncMessageBox& Notices() { return messageBox_; }
    int SelectedRow() const { return selectedRow_; }
    const std::wstring& TipText() const { return tipText_; }
    std::int32_t RecEnd() const { return recEnd_; }
    std::int32_t ViewOption() const { return viewOption_; }
    const std::wstring& FriioViewPath() const { return friioViewPath_; }
    const std::wstring& EpgViewPath() const { return epgViewPath_; }
    const std::wstring& DocumentsFolder() const { return documentsFolder_; }
    std::wstring ProgramFilePath() const;

    // The answer to the system's question whether the machine may suspend now: TRUE, or
    // BROADCAST_QUERY_DENY while a recording or an EPG acquisition is near (it also arms the
    // wake-up timer for the next one). The answer is also handed to the sleep lock.
    LRESULT AnswerSuspendQuery();
    // Whether the window holds the machine awake now (its last answer was a refusal).
    bool BlockingSleep() const;

  protected:
    ui::BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSysCommand(WPARAM command, LPARAM lParam) override;
    void OnDropFiles(const std::vector<std::wstring>& paths) override;
    bool PreTranslateMessage(platform::MSG& msg) override;
    void OnDestroy() override;

  private:
    friend struct COrvandelDlgTestAccess;

    // orvandel_dlg.cpp
    void InitPaths();
    void InitList();
    void StartTimers();
    // orvandel_dlg_layout.cpp
    void WidenForColumns();
    // orvandel_dlg_reservations.cpp
    int ReadReservations(bool merge);
    void AddReserveRow(int row, const ReserveRow& reserve);
    void ShowOverlaps();
    int SaveReservations();
    // orvandel_dlg_messages.cpp
    void OnTrayNotify(LPARAM lParam);
    void ShowTrayMenu();
    void OnReloadReservationsMessage();
    void OnRecordingEnded();
    void OnRecordingChained();
    void OnReservationUpdated();
    void OnReschedule();
    void OnEpgAcquired();
    void OnPowerResume();
    void AddNotifyIcon();
    void ModifyNotifyIcon();
    void DeleteNotifyIcon();
    void UpdateTipText();
    std::wstring NextReserveTipNow() const;
    void BringMessageBoxToFront();
    // orvandel_dlg_power.cpp
    void AfterRecordingAction(bool guarded);
    void RunCountdown();
    void EnterSleep(bool standby);
    void Tick(int mode);
    void CheckEpgAcquisition();
    void StartSuspendAnswer();
    void StartResumeListener();
    void StopResumeListener();
    // orvandel_dlg_commands.cpp
    void OnBnClickedSetting();
    void OnBnClickedStartEpgViewer();
    void OnBnClickedAutoAdd();
    void OnBnClickedSearch();
    void OnBnClickedEpgReload();
    void OnBnClickedChange();
    void OnBnClickedDelete();
    void OnBnClickedExit();
    void OnNMClickReserveList();
    void OnNMDblclkReserveList();
    int ListHotItem() const;
    // orvandel_dlg_epg.cpp
    void EmptyEpgStore();
    // orvandel_dlg_iepg.cpp
    void AddDroppedIepgFile(const std::wstring& path, const timer_core::ChSet2List& channels);

    // --- members, in the order the window builds them ---------------------------------------
    QIcon icon_;
    std::wstring iniPath_;
    std::wstring documentsFolder_;
    std::wstring chSetPath_;
    std::wstring chSet2Path_;
    int selectedRow_ = -1;
    std::wstring friioViewPath_;
    std::wstring epgViewPath_;
    std::int32_t recEnd_ = 0;
    std::int32_t viewOption_ = 0;
    std::unique_ptr<timer_core::TimerManager> timerManager_;
    shared::SharedMemoryBlock sharedMemory_;
    AsyncMessageBox messageBox_;
    // GetTickCount of the last after-recording action; none before the first.
    std::optional<platform::DWORD> lastActionTick_;
    std::optional<platform::Event> reloadLock_;
    std::unique_ptr<broadcast::EpgStore> epgStore_;
    std::wstring tipText_;
    bool iconAdded_ = false;
    int resumeListener_ = 0;
    // The answer to the suspend query as logind sees it: a sleep lock held while it is a refusal.
    std::unique_ptr<platform::SuspendQueryAnswer> suspendAnswer_;
};

}  // namespace timer_ui
