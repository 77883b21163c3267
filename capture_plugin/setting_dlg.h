// The plug-in's settings dialog (template 5001, "設定"): the capture folder, the channels an EPG
// collection takes, the BS and CS basic-only options, the EPG viewer program and how it starts,
// and the clock correction. It reads section "Set" of friio_Quorvantel.ini when it is made and
// writes it only on OK; Cancel discards every change. The channel list comes from the viewer's
// channels.ini (the area's section) or bscs.ini (section "BS110CS"), read in file order; every
// area keeps its own "<channel>ch" check keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog.h"

namespace capture_plugin {

// The text of a channel's list item: "27ch : <name>" for the key 27, "11727MHz,0x4010 : <name>"
// for the key 11727,4010.
std::wstring ChannelItemText(std::wstring_view key, std::uint32_t channel, std::wstring_view name);

class CSettingDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_SAVE_PATH = 5000,
        IDC_OPEN_SAVE_PATH = 5001,
        IDC_EPG_PATH = 5002,
        IDC_OPEN_EPG_PATH = 5003,
        IDC_CHECK_ALL = 5007,
        IDC_UNCHECK_ALL = 5008,
        IDC_CHANNELS = 5021,
        IDC_BS_BASIC_ONLY = 5022,
        IDC_CS_BASIC_ONLY = 5023,
        IDC_START_OPTION = 5024,  // first of the five radio buttons 5024-5028
        IDC_TIME_SYNC = 5029,
    };

    // hostFolder: the viewer's folder, ending with a separator.
    explicit CSettingDlg(std::wstring hostFolder);

    // Set by the window before the dialog runs: its tuner kind (2 = BS/CS tuner).
    void SetTunerKind(int tunerKind) { tunerKind_ = tunerKind; }

    const std::vector<std::uint32_t>& ChannelValues() const { return channelValues_; }

    void FillChannelList();
    void SaveSettings();
    void OnBnClickedOpenSavePath();
    void OnBnClickedOpenEpgPath();
    void OnBnClickedCheckAll() { SetAllChecks(1); }
    void OnBnClickedUncheckAll() { SetAllChecks(0); }
    void OnBnClickedOk();

  protected:
    ui::BOOL OnInitDialog() override;

  private:
    void SetAllChecks(int checked);

    std::vector<std::uint32_t> channelValues_;
    int tunerKind_ = 0;
    std::wstring iniPath_;
    std::wstring channelsIniPath_;
    std::wstring bscsIniPath_;
    std::wstring area_;
    std::wstring hostFolder_;
    std::wstring defArea_;
    std::wstring savePath_;
    int bsBasicOnly_ = 0;
    int csBasicOnly_ = 0;
    std::wstring epgPath_;
    int startOption_ = 0;
    int timeSync_ = 0;
};

}  // namespace capture_plugin
