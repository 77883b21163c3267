// The main window's EPG viewer start: the command lines of ViewOption 1-4, the EPG files it
// hands over, the working folder (FriioView's), and nothing started without files or a path.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/paths.h"
#include "tests/timer_ui/main_window_fixture.h"
#include "timer_ui/epg_viewer_start.h"

namespace timer_ui_test {
namespace {

namespace fs = std::filesystem;

std::wstring Wide(const fs::path& path) {
    return platform::FromNativePath(path.native());
}

TEST(EpgViewerCommandLineTest, TheFourOptionsAndTheirFiles) {
    const std::vector<std::wstring> files = {L"/d/ch21_epg.dat", L"/d/ch22_epg.dat"};
    using timer_ui::EpgViewerCommandLine;
    EXPECT_EQ(EpgViewerCommandLine(1, L"/v/epg view", L"/friio/", files),
              L"\"/v/epg view\" \"/friio/Friio_NowEpgList.dat\"");
    EXPECT_EQ(EpgViewerCommandLine(2, L"/v/epg", L"/friio/", files),
              L"/v/epg \"/d/ch21_epg.dat\" \"/d/ch22_epg.dat\"");
    EXPECT_EQ(
        EpgViewerCommandLine(3, L"/v/epg", L"/friio/", files),
        L"\"/v/epg\" \"/friio/Friio_NowEpgList.dat\" \"/d/ch21_epg.dat\" \"/d/ch22_epg.dat\"");
    EXPECT_EQ(EpgViewerCommandLine(4, L"/v/epg", L"/friio/", files),
              L"\"/v/epg\" \"/friio/Friio_NowEpgList.dat\" \"/d/ch21_epg.dat\" "
              L"\"/d/ch22_epg.dat\" -SAVE");
    EXPECT_EQ(EpgViewerCommandLine(1, L"/v/epg", L"/friio/", {}),
              L"\"/v/epg\" \"/friio/Friio_NowEpgList.dat\"");
    for (int option : {2, 3, 4})
        EXPECT_EQ(EpgViewerCommandLine(option, L"/v/epg", L"/friio/", {}), std::nullopt);
    for (int option : {0, 5, -1})
        EXPECT_EQ(EpgViewerCommandLine(option, L"/v/epg", L"/friio/", files), std::nullopt);
}

class EpgViewerStartTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        friio_ = PrivateRoot() / "work" / "friio";
        fs::create_directories(friio_);
        out_ = PrivateRoot() / "work" / "args.txt";
        const fs::path temporary = PrivateRoot() / "work" / "args.tmp";
        // A viewer that writes its working folder and arguments, one a line.
        viewer_ = WorkFile("epg viewer",
                           "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > '" +
                               temporary.string() + "'\nmv '" + temporary.string() + "' '" +
                               out_.string() + "'\n");
        fs::permissions(viewer_, fs::perms::owner_all);
    }

    timer_ui::EpgViewerStart Start(int option) const {
        return {Wide(viewer_), Wide(friio_ / "FriioView.exe"), option,
                Wide(DataFolder().parent_path())};
    }

    std::vector<std::string> Arguments() const {
        if (!WaitUntil([&] { return fs::exists(out_); })) return {};
        std::ifstream in(out_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        fs::remove(out_);
        return lines;
    }

    fs::path friio_;
    fs::path viewer_;
    fs::path out_;
};

TEST_F(EpgViewerStartTest, OptionsStartTheViewerInFriioViewsFolderWithTheEpgFiles) {
    EXPECT_FALSE(timer_ui::StartEpgViewer(Start(2)));  // no EpgData folder yet
    const fs::path epgData = DataFolder() / "EpgData";
    fs::create_directories(epgData / "ch99_epg.dat");  // a folder is no EPG file
    EXPECT_FALSE(timer_ui::StartEpgViewer(Start(4)));
    WriteFile(epgData / "ch21_epg.dat", "x");
    WriteFile(epgData / "CH22_EPG.DAT", "x");
    WriteFile(epgData / "ch23_epg.dat.bak", "x");

    ASSERT_TRUE(timer_ui::StartEpgViewer(Start(1)));
    EXPECT_EQ(Arguments(), (std::vector<std::string>{friio_.string(),
                                                     (friio_ / "Friio_NowEpgList.dat").string()}));

    ASSERT_TRUE(timer_ui::StartEpgViewer(Start(4)));
    std::vector<std::string> args = Arguments();
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[0], friio_.string());
    std::vector<std::string> files(args.begin() + 2, args.end() - 1);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{(epgData / "CH22_EPG.DAT").string(),
                                               (epgData / "ch21_epg.dat").string()}));
    EXPECT_EQ(args.back(), "-SAVE");

    timer_ui::EpgViewerStart nothing = Start(1);
    nothing.epgViewPath.clear();
    EXPECT_FALSE(timer_ui::StartEpgViewer(nothing));
}

TEST_F(EpgViewerStartTest, TheButtonStartsWhatTheSettingsName) {
    WriteIni("EpgViewPath=" + viewer_.string() +
             "\r\nFriioViewPath=" + (friio_ / "FriioView.exe").string() + "\r\nViewOption=1\r\n");
    timer_ui::COrvandelDlg& window = OpenWindow();
    EXPECT_EQ(window.ViewOption(), 1);
    ClickButton(window, timer_ui::COrvandelDlg::IDC_START_EPG_VIEWER);
    EXPECT_EQ(Arguments(), (std::vector<std::string>{friio_.string(),
                                                     (friio_ / "Friio_NowEpgList.dat").string()}));
}

}  // namespace
}  // namespace timer_ui_test
