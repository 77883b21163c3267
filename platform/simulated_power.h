// The power simulation: with ORVANDEL_SIM_POWER=<file>, every power request (standby,
// hibernate, wake time armed, wake time refused, wake time cancelled, sleep blocked and allowed
// again by the answer to the suspend query) is appended to that file as one line and nothing
// reaches the machine. Lines read "<local time> <request>[ <argument>]", times as
// YYYY-MM-DDTHH:MM:SS on the layer's clock, e.g.
//   2026-12-09T23:10:05 wake-armed 2026-12-10T04:55:00
//   2026-12-09T23:12:05 wake-refused 2026-12-10T04:55:00
//   2026-12-09T23:10:20 standby
//   2026-12-10T04:53:00 sleep-blocked
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// True when ORVANDEL_SIM_POWER names a file.
bool IsPowerSimulated();

// True when ORVANDEL_SIM_NO_WAKE_ALARM is set (to anything but empty): the machine's wake alarm
// is refused, as Linux refuses it to a program without the CAP_WAKE_ALARM capability, so that
// the refusal can be tried without taking the capability away.
bool IsWakeAlarmRefusalSimulated();

// Appends "<now> <request>" to the simulation file in one write; the second form stamps the line
// with the given local time instead of now.
void AppendSimulatedPowerRequest(std::string_view request);
void AppendSimulatedPowerRequest(std::string_view request, std::uint64_t atLocal);

// A local FILETIME value as YYYY-MM-DDTHH:MM:SS.
std::string FormatLocalTime(std::uint64_t fileTime);

}  // namespace platform
