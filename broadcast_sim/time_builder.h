// Time and date table (TDT) and time offset table (TOT) sections. Times are JST wall time, as
// the broadcast carries them.
#pragma once

#include "broadcast_sim/byte_writer.h"
#include "broadcast_sim/section_builder.h"
#include "platform/system_time.h"

namespace broadcast_sim {

// A JST wall time for the descriptions of a synthetic broadcast.
platform::SYSTEMTIME JstTime(int year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0);

// The 40-bit SI time: the MJD of the date and the time as three BCD bytes.
void AppendSiTime(ByteWriter& w, const platform::SYSTEMTIME& jst);

Section BuildTdt(const platform::SYSTEMTIME& jst);

// A TOT with the local time offset descriptor Japanese broadcasts carry (country "JPN", offset
// 0, no change).
Section BuildTot(const platform::SYSTEMTIME& jst);

}  // namespace broadcast_sim
