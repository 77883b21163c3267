#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/scoped_environment.h"
#include "tests/support/si_test_util.h"

namespace broadcast::test {
namespace {

using broadcast_sim::BuildLongSection;
using broadcast_sim::BuildSection;
using broadcast_sim::BuildShortSection;

Bytes Pat(std::uint16_t tsid, std::initializer_list<std::pair<int, int>> programs) {
    ByteWriter w;
    for (const auto& [number, pid] : programs)
        w.U16(number).U16(0xE000 | pid);
    return BuildLongSection({0x00, tsid, 3, true, 0, 0}, w.bytes(), 0xB0);
}

Bytes Tdt() {
    return BuildShortSection(0x70, ByteWriter().U16(49273).U24(0x123456).bytes());
}

// Collects what the debug output writes while it lives.
class DebugLog {
  public:
    DebugLog() : path_(testing::TempDir() + "si_debug_" + std::to_string(::getpid()) + ".log") {
        std::remove(path_.c_str());
        env_.Set("ORVANDEL_DEBUG_LOG", path_);
    }
    ~DebugLog() { std::remove(path_.c_str()); }
    std::string Text() const {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

  private:
    std::string path_;
    test_support::ScopedEnvironment env_;
};

TEST(SectionListTest, APatFollowedByStuffingYieldsOneRecord) {
    Bytes buffer = Pat(0x7FE0, {{0, 0x10}, {0x400, 0x1F0}});
    const std::size_t section_size = buffer.size();
    buffer.resize(section_size + 40, 0xFF);
    ParsedList list = ParseList(buffer);
    ASSERT_EQ(list.result, 1);
    ASSERT_EQ(list.count, 1u);
    EXPECT_EQ(list.consumed, static_cast<int>(buffer.size()));
    ASSERT_NE(list.records[0]->pat, nullptr);
    EXPECT_EQ(list.records[0]->table_id, 0x00);
    EXPECT_EQ(list.records[0]->pat->transport_stream_id, 0x7FE0);
    EXPECT_EQ(list.records[0]->eit, nullptr);
}

TEST(SectionListTest, ACorruptedSectionIsDroppedWithADebugLineAndTheNextIsParsed) {
    Bytes first = Pat(1, {{0x400, 0x100}});
    first[9] ^= 0x01;
    const Bytes second = Pat(2, {{0x401, 0x101}});
    DebugLog log;
    ParsedList list = ParseList(Concat({first, second}));
    ASSERT_EQ(list.count, 1u);
    EXPECT_EQ(list.records[0]->pat->transport_stream_id, 2);
    const std::string text = log.Text();
    EXPECT_EQ(text.rfind("crc err 16, 0x", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
}

TEST(SectionListTest, TheTdtCarriesNoCrcAndIsParsed) {
    const Bytes tdt = Tdt();
    ASSERT_EQ(tdt.size(), 8u);
    auto record = ParseOne(tdt);
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->tdt, nullptr);
    EXPECT_EQ(record->tdt->section_length, 5);
    EXPECT_EQ(record->tdt->year, 1993);
    EXPECT_EQ(record->tdt->hour, 12);
    EXPECT_EQ(record->tdt->second, 56);
}

TEST(SectionListTest, UnparsedTablesAndRefusalsBecomeTagOnlyRecords) {
    const Bytes bat = BuildLongSection({0x4A, 1, 0, true, 0, 0}, Bytes{0xF0, 0x00});
    ParsedList list = ParseList(Concat({bat, Tdt(), Pat(5, {})}));
    ASSERT_EQ(list.count, 3u);
    EXPECT_EQ(list.records[0]->table_id, 0x4A);
    EXPECT_EQ(list.records[0]->pat, nullptr);
    EXPECT_EQ(list.records[0]->sdt, nullptr);
    EXPECT_NE(list.records[1]->tdt, nullptr);
    EXPECT_EQ(list.records[2]->pat->entry_count, 0);
}

TEST(SectionListTest, ASectionLongerThanTheBufferEndsTheWalk) {
    const Bytes whole = Pat(1, {{1, 0x100}});
    Bytes cut = Pat(2, {{2, 0x200}, {3, 0x300}});
    cut.resize(cut.size() - 3);
    ParsedList list = ParseList(Concat({whole, cut}));
    ASSERT_EQ(list.result, 1);
    ASSERT_EQ(list.count, 1u);
    EXPECT_EQ(list.records[0]->pat->transport_stream_id, 1);
    EXPECT_EQ(list.consumed, static_cast<int>(whole.size() + cut.size()));

    // One or two bytes of a header left over are a cut-off section too.
    ParsedList tail = ParseList(Concat({whole, Bytes{0x42, 0xF0}}));
    EXPECT_EQ(tail.count, 1u);
}

TEST(SectionListTest, ShortBuffersAndMissingOutputsReturnZero) {
    const Bytes two = {0x00, 0xB0};
    std::uint32_t count = 77;
    int consumed = 77;
    EXPECT_EQ(ParseSectionList(two.data(), 2, &consumed, nullptr, &count), 0);
    EXPECT_EQ(count, 77u);
    EXPECT_EQ(consumed, 77);
    const Bytes pat = Pat(1, {});
    EXPECT_EQ(ParseSectionList(nullptr, 10, &consumed, nullptr, &count), 0);
    EXPECT_EQ(
        ParseSectionList(pat.data(), static_cast<int>(pat.size()), &consumed, nullptr, nullptr), 0);
}

TEST(SectionListTest, NoRecordsLeaveTheCallersArrayAlone) {
    SectionList records;
    records.push_back(std::make_unique<SectionRecord>());
    const Bytes stuffing(10, 0xFF);
    std::uint32_t count = 9;
    ASSERT_EQ(ParseSectionList(stuffing.data(), 10, nullptr, &records, &count), 1);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(records.size(), 1u);
}

TEST(SectionListTest, SectionsTooShortForACrcFail) {
    DebugLog log;
    // section_length 0 to 3: no room for a CRC_32, so nothing passes the test.
    for (int length = 0; length <= 3; ++length) {
        Bytes section = {0x00, 0xB0, static_cast<std::uint8_t>(length), 0, 0, 0};
        section.resize(3 + length);
        EXPECT_EQ(ParseList(Concat({section, Pat(1, {})})).count, 1u) << length;
    }
}

TEST(SectionListTest, CrcOfTheWholeSectionIsChecked) {
    Bytes section = BuildSection(0x73, ByteWriter().U16(49273).U24(0).U16(0xF000).bytes());
    section.back() ^= 0x80;
    DebugLog log;
    EXPECT_EQ(ParseList(section).count, 0u);
    broadcast_sim::RefreshCrc(section);
    EXPECT_EQ(ParseList(section).count, 1u);
}

}  // namespace
}  // namespace broadcast::test
