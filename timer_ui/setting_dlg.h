// The recording timer's settings (the capture plug-in has a settings dialog of its own):
// the viewer and EPG viewer programs, tuner counts, recording margins, the action after a
// recording, the recording options (section "SET"), the times of the timed EPG acquisition
// (section "Orvandel"), and the default channels of the EPG search (section "CH"). It reads the
// ini file when it opens and writes "SET" and "Orvandel" only on OK; the search-channel defaults
// are written as soon as their dialog closes, and the suppression list by its own dialog.
//
// A time's tick in the list is its enabled flag: OK writes 1 for a ticked time and 0 for an
// unticked one, so unticking a time keeps it listed without an acquisition at it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "broadcast/epg_store.h"
#include "timer_core/scheduling/epg_time_entry.h"
#include "ui/dialog.h"

namespace timer_ui {

class CSettingDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_FRIIO_VIEW_PATH = 1006,
        IDC_OPEN_FRIIO_VIEW_PATH = 1007,
        IDC_REC_END = 1011,  // first of the radio buttons 1011-1013
        IDC_TIMES = 1014,
        IDC_HOUR = 1015,
        IDC_MINUTE = 1016,
        IDC_ADD_TIME = 1017,
        IDC_DEL_TIME = 1018,
        IDC_EPG_VIEW_PATH = 1019,
        IDC_OPEN_EPG_VIEW_PATH = 1020,
        IDC_START_SEC = 1026,
        IDC_END_SEC = 1027,
        IDC_TUNER_COUNT = 1028,
        IDC_AUTO_DEL = 1032,
        IDC_REC_PRIORITY = 1033,
        IDC_TUNER_COUNT2 = 1034,
        IDC_NO_ERR_LOG = 1040,
        IDC_NO_INFO_LOG = 1041,
        IDC_SUPPRESS = 1068,
        IDC_VIEW_OPTION = 1072,  // first of the radio buttons 1072, 1073, 1074, 1076, 1077
        IDC_NAME_MANUAL = 1075,
        IDC_SEARCH_CH_DEFAULT = 1080,
    };

    // The timer's ini file beside the executable, or `iniPath`.
    CSettingDlg();
    explicit CSettingDlg(std::wstring iniPath);
    ~CSettingDlg() override;

    // The timer's EPG store, not owned, given before the dialog is shown; without one, or with
    // no service loaded, the search-channel defaults cannot be set.
    void SetStore(const broadcast::EpgStore* store) { store_ = store; }

    void ReadIni();
    void WriteIni();
    void OnBnClickedOk();
    void OnBnClickedOpenFriioViewPath();
    void OnBnClickedOpenEpgViewPath();
    void OnBnClickedAddTime();
    void OnBnClickedDelTime();
    void OnBnClickedSuppress();
    void OnBnClickedNameManual();
    void OnBnClickedAutoDel();
    void OnBnClickedSearchChDefault();

    const std::wstring& IniPath() const { return iniPath_; }

  protected:
    ui::BOOL OnInitDialog() override;

  private:
    // Appends the time to the list and the list box, ticked when enabled.
    void AddTime(std::unique_ptr<timer_core::EpgTimeEntry> entry);
    void OpenProgram(std::wstring* path);
    std::wstring ReadText(const wchar_t* key, const wchar_t* fallback) const;
    int ReadInt(const wchar_t* key, int fallback) const;
    void WriteText(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;

    std::wstring iniPath_;
    const broadcast::EpgStore* store_ = nullptr;
    std::vector<std::unique_ptr<timer_core::EpgTimeEntry>> times_;
    std::wstring FriioViewPath_;
    std::wstring EpgViewPath_;
    std::wstring hour_;
    std::wstring minute_;
    std::wstring StartSec_;
    int RecEnd_ = 0;
    std::wstring TunerCount_;
    int AutoDel_ = 0;
    int RecPriority_ = 0;
    int NoErrLog_ = 0;
    int NoInfoLog_ = 1;
    std::wstring TunerCount2_;
    int ViewOption_ = 0;
    int NameManual_ = 0;
    std::wstring EndSec_;
};

}  // namespace timer_ui
