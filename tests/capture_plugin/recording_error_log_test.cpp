#include <gtest/gtest.h>

#include "capture_plugin/recording_error_log.h"
#include "platform/paths.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/capture_plugin/window_parts_environment.h"

namespace capture_plugin {
namespace {

platform::SYSTEMTIME At(int minute, int second) {
    platform::SYSTEMTIME t = window_parts_test::ClockStart();
    t.wMinute = static_cast<platform::WORD>(minute);
    t.wSecond = static_cast<platform::WORD>(second);
    return t;
}

class RecordingErrorLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = window_parts_test::FreshFolder("errlog");
        path_ = folder_ / "番組.ts.err";
    }

    RecordingErrorLog::Result Tick(int minute, int second, int card, int errors,
                                   std::int64_t scramble) {
        return log_.Append(platform::FromNativePath(path_.native()),
                           {card, errors, scramble, At(minute, second)});
    }

    std::filesystem::path folder_;
    std::filesystem::path path_;
    RecordingErrorLog log_;
};

TEST_F(RecordingErrorLogTest, LineFormAndCardStateTexts) {
    EXPECT_EQ(FormatErrorLogLine(At(15, 0), 3, 1234567890123LL, 0),
              "2009/01/04 20:15:00 Errors:3 Scramble:1234567890123 Card:DTV_CARD_OK\r\n");
    EXPECT_EQ(CardStateText(6), "DTV_CARD_NOTINITIALIZED\r\n");
    EXPECT_EQ(CardStateText(3), "DTV_CARD_REINSERTCARD\r\n");
    EXPECT_EQ(CardStateText(7), "");
    EXPECT_EQ(CardStateText(-1), "");
}

TEST_F(RecordingErrorLogTest, NewLogGetsAFirstLineThenOnlyChanges) {
    RecordingErrorLog::Result r = Tick(0, 15, 0, 4, 99);
    EXPECT_TRUE(r.newLog);
    EXPECT_TRUE(r.lineWritten);
    EXPECT_EQ(log_.LastScrambleCount(), 0);
    r = Tick(0, 30, 0, 4, 0);  // nothing changed: no line
    EXPECT_FALSE(r.newLog);
    EXPECT_FALSE(r.lineWritten);
    Tick(0, 45, 0, 4, 7);  // scrambled packets
    Tick(1, 0, 0, 5, 7);   // errors
    Tick(1, 15, 2, 5, 7);  // card state not OK: a line every tick
    Tick(1, 30, 2, 5, 7);
    EXPECT_EQ(plugin_test::ReadFile(path_),
              "2009/01/04 20:00:15 Errors:4 Scramble:0 Card:DTV_CARD_OK\r\n"
              "2009/01/04 20:00:45 Errors:4 Scramble:7 Card:DTV_CARD_OK\r\n"
              "2009/01/04 20:01:00 Errors:5 Scramble:7 Card:DTV_CARD_OK\r\n"
              "2009/01/04 20:01:15 Errors:5 Scramble:7 Card:DTV_CARD_NOCARD\r\n"
              "2009/01/04 20:01:30 Errors:5 Scramble:7 Card:DTV_CARD_NOCARD\r\n");
}

TEST_F(RecordingErrorLogTest, ExistingLogIsAppendedToWithoutAdjustment) {
    plugin_test::WriteFile(path_, "old line\r\n");
    log_.ResetErrorCount();
    const RecordingErrorLog::Result r = Tick(0, 15, 0, 1, 0);
    EXPECT_FALSE(r.newLog);
    EXPECT_TRUE(r.lineWritten);
    EXPECT_EQ(plugin_test::ReadFile(path_),
              "old line\r\n2009/01/04 20:00:15 Errors:1 Scramble:0 Card:DTV_CARD_OK\r\n");
}

TEST_F(RecordingErrorLogTest, UnopenableLogWritesNothingButTakesTheCounts) {
    path_ = folder_ / "missing-folder" / "x.err";
    const RecordingErrorLog::Result r = Tick(0, 15, 0, 8, 3);
    EXPECT_FALSE(r.newLog);
    EXPECT_FALSE(r.lineWritten);
    EXPECT_EQ(log_.LastErrorCount(), 8);
    EXPECT_EQ(log_.LastScrambleCount(), 3);
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(RecordingErrorLogTest, UnknownCardStateEndsTheLineAfterCard) {
    Tick(0, 15, 9, 0, 0);
    EXPECT_EQ(plugin_test::ReadFile(path_), "2009/01/04 20:00:15 Errors:0 Scramble:0 Card:");
}

}  // namespace
}  // namespace capture_plugin
