#include "shared/shared_memory_layouts.h"

#include <gtest/gtest.h>

namespace shared {
namespace {

TEST(SharedMemoryLayoutsTest, FileNameIsUtf16AndAlwaysTerminated) {
    RecordRequest request;
    std::fill(std::begin(request.fileName), std::end(request.fileName), u'x');
    SetRecordFileName(request, L"番組\U0001F4FA.ts");
    EXPECT_EQ(request.fileName[0], u'番');
    EXPECT_EQ(request.fileName[2], 0xD83D);  // the surrogate pair of U+1F4FA
    EXPECT_EQ(request.fileName[3], 0xDCFA);
    EXPECT_EQ(request.fileName[7], 0);
    EXPECT_EQ(request.fileName[511], 0);  // the rest is zero-filled
    EXPECT_EQ(RecordFileName(request), L"番組\U0001F4FA.ts");

    // Long names stop at 511 units, or earlier when asked, and never split a pair.
    SetRecordFileName(request, std::wstring(600, L'a'));
    EXPECT_EQ(RecordFileName(request).size(), 511u);
    SetRecordFileName(request, L"ab\U0001F4FA", 3);
    EXPECT_EQ(RecordFileName(request), L"ab");
}

TEST(SharedMemoryLayoutsTest, AnUnterminatedOrBrokenNameFromAnotherWriterReadsSafely) {
    RecordRequest request;
    std::fill(std::begin(request.fileName), std::end(request.fileName), u'z');
    request.fileName[0] = 0xDC00;  // a lone low surrogate
    const std::wstring name = RecordFileName(request);
    EXPECT_EQ(name.size(), kRecordFileNameChars);
    EXPECT_EQ(name[0], L'\uFFFD');
    EXPECT_EQ(name[511], L'z');
}

}  // namespace
}  // namespace shared
