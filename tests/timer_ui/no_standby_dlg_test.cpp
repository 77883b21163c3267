// The suppression-process dialog: the names sorted on the screen, deleted by the position their
// row carries, saved on OK only.
#include "timer_ui/no_standby_dlg.h"

#include <gtest/gtest.h>

#include "platform/private_profile.h"
#include "tests/timer_ui/private_home.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "ui/list_box.h"

namespace timer_ui {
namespace {

using timer_ui_test::ClickButton;
using timer_ui_test::MessageBoxes;
using Dlg = CNoStandbyDlg;

class NoStandbyDlgTest : public timer_ui_test::DialogTest {
  protected:
    void Open(Dlg& dlg) {
        ASSERT_TRUE(dlg.Create());
        names = dlg.Item<ui::ListBox>(Dlg::IDC_NAMES);
        ASSERT_NE(names, nullptr);
    }
    void Add(Dlg& dlg, const std::wstring& name) {
        dlg.SetDlgItemText(Dlg::IDC_NAME, name);
        ClickButton(dlg, Dlg::IDC_ADD);
    }
    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        for (int i = 0; i < names->GetCount(); ++i)
            rows.push_back(names->GetText(i));
        return rows;
    }
    std::wstring Ini(const wchar_t* key) const {
        wchar_t value[512];
        platform::GetPrivateProfileStringW(L"NO_SUSPEND", key, L"-", value, 512, ini.c_str());
        return value;
    }

    timer_ui_test::PrivateHome home;
    const std::wstring ini = home.IniPath();
    ui::ListBox* names = nullptr;
};

TEST_F(NoStandbyDlgTest, NamesShowSortedAndDeleteRemovesTheNameOfTheRow) {
    Dlg dlg(ini);
    Open(dlg);
    EXPECT_EQ(dlg.GetWindowText(), L"抑制条件");
    Add(dlg, L"zeta.exe");
    Add(dlg, L"alpha.exe");
    Add(dlg, L"Mid.exe");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_NAME), L"Mid.exe");
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"alpha.exe", L"Mid.exe", L"zeta.exe"}));
    EXPECT_EQ(dlg.List().names(),
              (std::vector<std::wstring>{L"zeta.exe", L"alpha.exe", L"Mid.exe"}));
    EXPECT_EQ(names->GetItemData(0), 1);

    names->SetCurSel(0);
    ClickButton(dlg, Dlg::IDC_DELETE);
    EXPECT_EQ(dlg.List().names(), (std::vector<std::wstring>{L"zeta.exe", L"Mid.exe"}));
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Mid.exe", L"zeta.exe"}));
    // The rows carry the new positions.
    names->SetCurSel(1);
    ClickButton(dlg, Dlg::IDC_DELETE);
    EXPECT_EQ(dlg.List().names(), std::vector<std::wstring>{L"Mid.exe"});
    dlg.DestroyWindow();
}

TEST_F(NoStandbyDlgTest, DeleteWithoutSelectionAndAnEmptyNameChangeNothing) {
    MessageBoxes boxes;
    Dlg dlg(ini);
    Open(dlg);
    Add(dlg, L"encoder.exe");
    Add(dlg, L"");
    ClickButton(dlg, Dlg::IDC_DELETE);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"項目を選択してください"});
    EXPECT_EQ(Rows(), std::vector<std::wstring>{L"encoder.exe"});
    // A name is one line of the ini file.
    Add(dlg, L"two\r\nlines.exe");
    EXPECT_EQ(dlg.List().names().back(), L"two  lines.exe");
    dlg.DestroyWindow();
}

TEST_F(NoStandbyDlgTest, OkSavesTheListAndCancelDoesNot) {
    platform::WritePrivateProfileStringW(L"NO_SUSPEND", L"Count", L"1", ini.c_str());
    platform::WritePrivateProfileStringW(L"NO_SUSPEND", L"0", L"encoder.exe", ini.c_str());
    {
        Dlg dlg(ini);
        Open(dlg);
        EXPECT_EQ(Rows(), std::vector<std::wstring>{L"encoder.exe"});
        Add(dlg, L"backup.exe");
        ClickButton(dlg, ui::IDCANCEL);
    }
    EXPECT_EQ(Ini(L"Count"), L"1");
    EXPECT_EQ(Ini(L"1"), L"-");

    Dlg dlg(ini);
    Open(dlg);
    Add(dlg, L"backup.exe");
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"Count"), L"2");
    EXPECT_EQ(Ini(L"0"), L"encoder.exe");
    EXPECT_EQ(Ini(L"1"), L"backup.exe");
}

}  // namespace
}  // namespace timer_ui
