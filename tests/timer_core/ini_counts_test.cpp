// The counted lists of the timer's ini file (the EPG times, the suppression list): the keys the
// file holds are read, in one read of the file, whatever number its Count gives.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "tests/support/fresh_folder.h"
#include "timer_core/power/suppression_list.h"
#include "timer_core/scheduling/epg_time_entry.h"

namespace timer_core {
namespace {

class IniCountsTest : public ::testing::Test {
  protected:
    void WriteIni(const std::wstring& count) const {
        std::ofstream(platform::ToNativePath(ini_), std::ios::binary | std::ios::trunc)
            << platform::WideToShiftJis(
                   L"[Orvandel]\r\nCount=" + count +
                   L"\r\n0=23,30,1\r\n01=7,0,1\r\n2=6,0,1\r\n2=8,0,1\r\n7=12,15,0\r\n"
                   L"[NO_SUSPEND]\r\nCount=" +
                   count + L"\r\n0=録画編集.exe\r\n1=\r\n5=encoder.exe\r\n05=backup.exe\r\n");
    }
    std::vector<std::wstring> EpgTimes() const {
        std::map<std::wstring, EpgTimeEntry> times;
        ReadEpgTimes(ini_, &times);
        std::vector<std::wstring> keys;
        for (const auto& [key, entry] : times)
            keys.push_back(key);
        return keys;
    }
    std::vector<std::wstring> Suppressing() const {
        SuppressionList list(ini_);
        list.LoadList();
        return list.names();
    }

    const std::wstring ini_ = platform::FromNativePath(
        (test_support::FreshFolder("ini-counts") / "Orvandel.ini").native());
};

TEST_F(IniCountsTest, TheKeysPresentAreReadWhateverTheCountSays) {
    using Keys = std::vector<std::wstring>;
    // A count no dialog writes: the start and every tick read what the file holds and no more.
    // "01" and "05" are other keys than "1" and "5"; of two keys "2" the first counts.
    WriteIni(L"2147483647");
    EXPECT_EQ(EpgTimes(), (Keys{L"0600", L"1215", L"2330"}));
    EXPECT_EQ(Suppressing(), (Keys{L"録画編集.exe", L"encoder.exe"}));

    // The count still bounds the keys, read as Windows reads numbers.
    WriteIni(L"0x3");
    EXPECT_EQ(EpgTimes(), (Keys{L"0600", L"2330"}));
    EXPECT_EQ(Suppressing(), Keys{L"録画編集.exe"});
    WriteIni(L"-1");
    EXPECT_EQ(EpgTimes(), Keys{});
    EXPECT_EQ(Suppressing(), Keys{});
}

}  // namespace
}  // namespace timer_core
