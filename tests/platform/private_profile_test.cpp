#include "platform/private_profile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "platform/code_page.h"
#include "platform/last_error.h"
#include "platform/locked_file_update.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/utf16.h"
#include "tests/support/services_helper.h"
#include "tests/support/sandbox.h"

namespace platform {
namespace {

class PrivateProfileTest : public ::testing::Test {
  protected:
    void Write(const std::string& bytes) { std::ofstream(sandbox.Native("t.ini")) << bytes; }
    std::string Bytes() const {
        std::ifstream in(sandbox.Native("t.ini"), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::wstring Get(const wchar_t* section, const wchar_t* key, const wchar_t* def = L"-",
                     DWORD size = 512) {
        wchar_t buffer[512];
        const DWORD n = GetPrivateProfileStringW(section, key, def, buffer, size, path.c_str());
        EXPECT_EQ(n, std::wstring(buffer).size());
        return buffer;
    }
    UINT Int(const wchar_t* key, int def = 77) {
        return GetPrivateProfileIntW(L"S", key, def, path.c_str());
    }

    test_support::Sandbox sandbox;
    std::wstring path = sandbox.Wide("t.ini");
};

TEST_F(PrivateProfileTest, ReadsNamesWithoutCaseAndFallsBackToTheDefault) {
    Write(
        "; comment=1\r\n[SET]\r\n  FriioViewPath = /opt/friio/FriioView  \r\nQuoted=\"a b \"\r\n"
        "[Other]\r\nKey=other\r\n");
    EXPECT_EQ(Get(L"set", L"friioviewpath"), L"/opt/friio/FriioView");
    EXPECT_EQ(Get(L"SET", L"Quoted"), L"a b ");  // one pair of quotes removed
    EXPECT_EQ(Get(L"SET", L"Key"), L"-");        // keys belong to their section
    EXPECT_EQ(Get(L"SET", L"; comment"), L"-");
    EXPECT_EQ(Get(L"SET", L"missing", L"def  "), L"def");  // trailing blanks of a default go
    EXPECT_EQ(Get(L"SET", L"missing", nullptr), L"");
    EXPECT_EQ(Get(L"NoSection", L"Key"), L"-");
    const std::wstring absent = sandbox.Wide("absent.ini");
    wchar_t buffer[16];
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"K", L"15", buffer, 16, absent.c_str()), 2u);
    EXPECT_EQ(GetPrivateProfileIntW(L"S", L"K", 15, absent.c_str()), 15u);
}

TEST_F(PrivateProfileTest, CutsTheValueToTheCallersBuffer) {
    Write("[S]\r\nK=abcdef\r\n");
    EXPECT_EQ(Get(L"S", L"K", L"", 4), L"abc");  // returns size - 1
    wchar_t one[1] = {L'x'};
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"K", L"", one, 1, path.c_str()), 0u);
    EXPECT_EQ(one[0], L'\0');
}

TEST_F(PrivateProfileTest, ParsesIntegersAsWindowsDoes) {
    Write(
        "[S]\r\nDec=120\r\nNeg=-1\r\nHex=0x1F\r\nLead=  42abc\r\nText=abc\r\nEmpty=\r\n"
        "Plus=+7\r\nQuoted=\"15\"\r\nWrap=4294967297\r\nLong=000000000000000000000000000001\r\n");
    EXPECT_EQ(Int(L"Dec"), 120u);
    EXPECT_EQ(static_cast<int>(Int(L"Neg")), -1);
    EXPECT_EQ(Int(L"Hex"), 31u);
    EXPECT_EQ(Int(L"Lead"), 42u);
    EXPECT_EQ(Int(L"Text"), 0u);    // found but no digits: 0, not the default
    EXPECT_EQ(Int(L"Empty"), 77u);  // empty: the default
    EXPECT_EQ(Int(L"Missing"), 77u);
    EXPECT_EQ(Int(L"Plus"), 7u);
    EXPECT_EQ(Int(L"Quoted"), 15u);
    EXPECT_EQ(Int(L"Wrap"), 1u);  // 32-bit wrap-around
    EXPECT_EQ(Int(L"Long"), 0u);  // only the first 29 characters count
}

TEST_F(PrivateProfileTest, CountedValuesAreTheKeysPresentBelowTheCount) {
    Write(
        "[S]\r\nCount= 0x7FFFFFFF\r\n0=zero\r\n01=not one\r\n 2 = \"two\" \r\n2=again\r\n"
        "-3=x\r\n+4=x\r\n6=abcdef\r\n2147483647=beyond\r\n[T]\r\n1=elsewhere\r\n");
    const std::map<int, std::wstring> all = {{0, L"zer"}, {2, L"two"}, {6, L"abc"}};  // cut
    EXPECT_EQ(GetPrivateProfileCountedValues(L"s", 4, path.c_str()), all);
    Write("[S]\r\nCount=3\r\n0=a\r\n3=d\r\n2=c\r\n");
    const std::map<int, std::wstring> belowThree = {{0, L"a"}, {2, L"c"}};
    EXPECT_EQ(GetPrivateProfileCountedValues(L"S", 512, path.c_str()), belowThree);
    for (const char* count : {"Count=-1", "Count=", "Count=x", ""}) {
        Write("[S]\r\n" + std::string(count) + "\r\n0=a\r\n");
        EXPECT_TRUE(GetPrivateProfileCountedValues(L"S", 512, path.c_str()).empty()) << count;
    }
    const std::wstring absent = sandbox.Wide("absent.ini");
    EXPECT_TRUE(GetPrivateProfileCountedValues(L"S", 512, absent.c_str()).empty());
}

// The settings dialog writes its keys one by one into whatever the path names; a pipe or a
// device there must neither hold the writer for ever nor fill its memory, and stays as it was.
TEST_F(PrivateProfileTest, WritesRefuseWhatIsNoRegularFileAndLeaveIt) {
    const std::string pipe = sandbox.Native("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string device = sandbox.Native("device.ini");
    ASSERT_EQ(::symlink("/dev/zero", device.c_str()), 0);
    for (const std::string& target : {pipe, device}) {
        // In a process of its own, which is stopped when it waits.
        const DWORD helper = test_support::StartServicesHelper(
            L"ini-write " + FromNativePath(target) + L" SET K 1");
        ASSERT_NE(helper, 0u);
        if (WaitForProcess(helper, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(helper, 1);
            WaitForProcess(helper, 20000);
            FAIL() << "the write waited on " << target;
        }
        DWORD code = 0;
        ASSERT_TRUE(GetExitCodeProcess(helper, &code));
        EXPECT_EQ(code, 1u) << target;  // refused
    }
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_TRUE(std::filesystem::is_symlink(device));
    EXPECT_FALSE(WritePrivateProfileStringW(L"SET", L"K", L"V", FromNativePath(pipe).c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    // A file beyond the reader's bound is neither read nor replaced.
    Write("[S]\r\nK=1\r\n");
    bool called = false;
    EXPECT_FALSE(UpdateFileLocked(
        path,
        [&](std::string_view) {
            called = true;
            return std::optional<std::string>("");
        },
        8));
    EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
    EXPECT_FALSE(called);
    EXPECT_EQ(Bytes(), "[S]\r\nK=1\r\n");
}

TEST_F(PrivateProfileTest, WritesCreateFileAndSectionAndKeepEveryOtherLine) {
    EXPECT_TRUE(WritePrivateProfileStringW(L"SET", L"TunerCount", L"2", path.c_str()));
    EXPECT_EQ(Bytes(), "[SET]\r\nTunerCount=2\r\n");

    Write("; keep me\n[SET]\r\nA = 1 \r\n\r\n[CH]\r\nX=9");
    EXPECT_TRUE(WritePrivateProfileStringW(L"set", L"a", L"5", path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringW(L"SET", L"B", L"6", path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringW(L"CH", L"Y", L"7", path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringW(L"New", L"Z", L"8", path.c_str()));
    EXPECT_EQ(Bytes(),
              "; keep me\n[SET]\r\nA=5\r\nB=6\r\n\r\n[CH]\r\nX=9\r\nY=7\r\n[New]\r\nZ=8\r\n");

    EXPECT_TRUE(WritePrivateProfileStringW(L"SET", L"B", nullptr, path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringW(L"CH", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(Bytes(), "; keep me\n[SET]\r\nA=5\r\n\r\n[New]\r\nZ=8\r\n");

    const std::wstring noFolder = sandbox.Wide("missing/t.ini");
    EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"K", L"V", noFolder.c_str()));
}

TEST_F(PrivateProfileTest, ShiftJisFilesStayShiftJisAndUtf16FilesStayUtf16) {
    // A byte that code page 932 cannot decode survives on a line the write does not touch.
    Write("[Set]\r\nArea=" + WideToShiftJis(L"関東") + "\r\nRaw=\x81\r\n");
    EXPECT_EQ(Get(L"Set", L"Area"), L"関東");
    EXPECT_TRUE(WritePrivateProfileStringW(L"Set", L"Name", L"みなと総合", path.c_str()));
    EXPECT_EQ(Bytes(), "[Set]\r\nArea=" + WideToShiftJis(L"関東") +
                           "\r\nRaw=\x81\r\nName=" + WideToShiftJis(L"みなと総合") + "\r\n");

    Write("\xFF\xFE" + WideToUtf16Le(L"[BS110CS]\r\n11727,4010=ＢＳみなと\r\n"));
    EXPECT_EQ(Get(L"bs110cs", L"11727,4010"), L"ＢＳみなと");
    EXPECT_TRUE(WritePrivateProfileStringW(L"BS110CS", L"12034,4030", L"𠀋", path.c_str()));
    EXPECT_EQ(Bytes(), "\xFF\xFE" + WideToUtf16Le(L"[BS110CS]\r\n11727,4010=ＢＳみなと\r\n"
                                                  L"12034,4030=𠀋\r\n"));
    EXPECT_EQ(Get(L"BS110CS", L"12034,4030"), L"𠀋");

    Write("\xFF\xFE" + WideToUtf16Le(L"[S]\r\nA=1") + "\x32");  // cut after an odd byte
    EXPECT_TRUE(WritePrivateProfileStringW(L"S", L"B", L"2", path.c_str()));
    EXPECT_EQ(Get(L"S", L"B"), L"2");
}

TEST_F(PrivateProfileTest, TwoProcessesWritingOneFileLoseNoKey) {
    const std::wstring tail = L"ini-write " + path + L" SET ";
    const DWORD a = test_support::StartServicesHelper(tail + L"A 40");
    const DWORD b = test_support::StartServicesHelper(tail + L"B 40");
    for (int i = 0; i < 40; ++i) {
        const std::wstring key = L"C" + std::to_wstring(i);
        ASSERT_TRUE(WritePrivateProfileStringW(L"SET", key.c_str(), key.c_str(), path.c_str()));
    }
    ASSERT_EQ(test_support::FinishServicesHelper(a), 0);
    ASSERT_EQ(test_support::FinishServicesHelper(b), 0);
    for (const wchar_t* prefix : {L"A", L"B", L"C"}) {
        for (int i = 0; i < 40; ++i) {
            const std::wstring key = prefix + std::to_wstring(i);
            EXPECT_EQ(Get(L"SET", key.c_str()), key);
        }
    }
}

}  // namespace
}  // namespace platform
