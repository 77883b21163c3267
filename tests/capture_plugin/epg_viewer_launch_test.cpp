#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "capture_plugin/epg_viewer_launch.h"
#include "platform/paths.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "tests/support/wait_until.h"

namespace capture_plugin {
namespace {

namespace fs = std::filesystem;

std::wstring Wide(const fs::path& path) {
    return platform::FromNativePath(path.native());
}

TEST(EpgViewerLaunchTest, DatExtensionIsComparedWithoutCase) {
    EXPECT_EQ(IsDatFileName(L"ch27_epg.dat"), 1);
    EXPECT_EQ(IsDatFileName(L"CH27_EPG.DAT"), 1);
    EXPECT_EQ(IsDatFileName(L"ch27_epg.dat.bak"), 0);
    EXPECT_EQ(IsDatFileName(L"dat"), 0);
}

TEST(EpgViewerLaunchTest, CommandLinesOfTheFourOptions) {
    const std::vector<std::wstring> files = {L"/d/ch27_epg.dat", L"/d/ch28_epg.dat"};
    EXPECT_EQ(BuildEpgViewerCommandLine(1, L"/v/epg view", L"/host/", files),
              L"\"/v/epg view\" \"/host/Friio_NowEpgList.dat\"");
    EXPECT_EQ(BuildEpgViewerCommandLine(2, L"/v/epg", L"/host/", files),
              L"/v/epg \"/d/ch27_epg.dat\" \"/d/ch28_epg.dat\"");
    EXPECT_EQ(BuildEpgViewerCommandLine(3, L"/v/epg", L"/host/", files),
              L"\"/v/epg\" \"/host/Friio_NowEpgList.dat\" \"/d/ch27_epg.dat\" "
              L"\"/d/ch28_epg.dat\"");
    EXPECT_EQ(BuildEpgViewerCommandLine(4, L"/v/epg", L"/host/", files),
              L"\"/v/epg\" \"/host/Friio_NowEpgList.dat\" \"/d/ch27_epg.dat\" "
              L"\"/d/ch28_epg.dat\" -SAVE");
    EXPECT_EQ(BuildEpgViewerCommandLine(1, L"/v/epg", L"/host/", {}),
              L"\"/v/epg\" \"/host/Friio_NowEpgList.dat\"");
    for (int option : {2, 3, 4})
        EXPECT_EQ(BuildEpgViewerCommandLine(option, L"/v/epg", L"/host/", {}), std::nullopt);
    for (int option : {0, 5, -1})
        EXPECT_EQ(BuildEpgViewerCommandLine(option, L"/v/epg", L"/host/", files), std::nullopt);
}

class EpgViewerStartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = window_parts_test::FreshFolder("epgviewer");
        epgData_ = root_ / "docs" / "Orvandel" / "EpgData";
        fs::create_directories(epgData_);
        fs::create_directories(root_ / "host");
        viewer_ = root_ / "viewer.sh";
        out_ = root_ / "args.txt";
        std::ofstream(viewer_) << "#!/bin/sh\n"
                                  "{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > '"
                               << (root_ / "args.tmp").native() << "'\nmv '"
                               << (root_ / "args.tmp").native() << "' '" << out_.native() << "'\n";
        fs::permissions(viewer_, fs::perms::owner_all);
    }

    EpgViewerLaunch Launch(int option) const {
        return {Wide(viewer_), option, Wide(root_ / "host") + L"/", Wide(root_ / "docs")};
    }

    std::vector<std::string> Arguments() const {
        if (!test_support::WaitUntil([&] { return fs::exists(out_); }, 10000)) return {};
        std::ifstream in(out_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    fs::path root_;
    fs::path epgData_;
    fs::path viewer_;
    fs::path out_;
};

TEST_F(EpgViewerStartTest, OptionFourPassesEveryEpgFileAndSaveInTheHostFolder) {
    std::ofstream(epgData_ / "ch27_epg.dat") << "x";
    std::ofstream(epgData_ / "ch28_EPG.DAT") << "x";
    std::ofstream(epgData_ / "ch29_epg.txt") << "x";
    fs::create_directories(epgData_ / "ch30_epg.dat");
    const std::vector<std::wstring> files = ListEpgDataFiles(Wide(root_ / "docs"));
    ASSERT_EQ(files.size(), 2u);
    ASSERT_TRUE(StartEpgViewer(Launch(4)));
    std::vector<std::string> args = Arguments();
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[0], (root_ / "host").native());
    EXPECT_EQ(args[1], (root_ / "host" / "Friio_NowEpgList.dat").native());
    std::vector<std::string> epg(args.begin() + 2, args.begin() + 4);
    std::sort(epg.begin(), epg.end());
    EXPECT_EQ(epg[0], (epgData_ / "ch27_epg.dat").native());
    EXPECT_EQ(epg[1], (epgData_ / "ch28_EPG.DAT").native());
    EXPECT_EQ(args[4], "-SAVE");
}

TEST_F(EpgViewerStartTest, NothingStartsWithoutPathOrWithoutFilesForTheListOptions) {
    EpgViewerLaunch launch = Launch(2);
    EXPECT_FALSE(StartEpgViewer(launch));
    launch.epgPath.clear();
    launch.startOption = 1;
    EXPECT_FALSE(StartEpgViewer(launch));
}

TEST_F(EpgViewerStartTest, OptionZeroOpensThePathWithoutArguments) {
    ASSERT_TRUE(StartEpgViewer(Launch(0)));
    const std::vector<std::string> args = Arguments();
    EXPECT_EQ(args.size(), 1u);  // the working folder only
}

}  // namespace
}  // namespace capture_plugin
