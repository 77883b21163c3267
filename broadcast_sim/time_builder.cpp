#include "broadcast_sim/time_builder.h"

#include "broadcast_sim/si_encoding.h"

namespace broadcast_sim {
namespace {

constexpr std::uint8_t kTableTdt = 0x70, kTableTot = 0x73, kTagLocalTimeOffset = 0x58;
constexpr std::uint8_t kShortFormFlags = 0x70;  // section_syntax_indicator 0

}  // namespace

platform::SYSTEMTIME JstTime(int year, int month, int day, int hour, int minute, int second) {
    platform::SYSTEMTIME t;
    t.wYear = static_cast<platform::WORD>(year);
    t.wMonth = static_cast<platform::WORD>(month);
    t.wDay = static_cast<platform::WORD>(day);
    t.wHour = static_cast<platform::WORD>(hour);
    t.wMinute = static_cast<platform::WORD>(minute);
    t.wSecond = static_cast<platform::WORD>(second);
    return t;
}

void AppendSiTime(ByteWriter& w, const platform::SYSTEMTIME& jst) {
    w.U16(EncodeMjd(jst.wYear, jst.wMonth, jst.wDay))
        .U24(EncodeBcdTime(jst.wHour, jst.wMinute, jst.wSecond));
}

Section BuildTdt(const platform::SYSTEMTIME& jst) {
    ByteWriter w;
    AppendSiTime(w, jst);
    return BuildShortSection(kTableTdt, w.bytes(), kShortFormFlags);
}

Section BuildTot(const platform::SYSTEMTIME& jst) {
    ByteWriter offset;
    offset.Text("JPN").U8(0x02);  // region 0, reserved bit, polarity 0
    offset.U16(0x0000);           // local_time_offset
    AppendSiTime(offset, jst);    // time_of_change
    offset.U16(0x0000);           // next_time_offset
    ByteWriter descriptors;
    descriptors.Descriptor(kTagLocalTimeOffset, offset.bytes());

    ByteWriter w;
    AppendSiTime(w, jst);
    w.U16(0xF000 | descriptors.size()).Bytes(descriptors.bytes());
    return BuildSection(kTableTot, w.bytes(), kShortFormFlags);
}

}  // namespace broadcast_sim
