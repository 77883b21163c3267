// The timer's reading of ChSet2.txt (written by the plug-in): which transport stream carries a
// service. An iEPG file names a service by network class and service_id, a reservation by
// channel value and service_id; with the transport_stream_id the caller forms the service key
// (transport_stream_id << 16) | service_id of the EPG store.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "shared/ch_set2_file.h"

namespace timer_core {

// Network classes of a channel value v, as the iEPG reader names them: 1 terrestrial
// (v <= 0xFFFF), 2 BS (0xFFFF <= v < 0x30000000), 3 and any other number CS (v >= 0x30000000).
// 0xFFFF belongs to both class 1 and class 2.
bool ChannelInNetworkClass(int networkClass, int channel);

class ChSet2List {
  public:
    // (transport_stream_id << 16) | service_id as a signed 32-bit number.
    static std::int32_t Key(int transportStreamId, int serviceId);

    // Empties the map, then reads the file: 0 for an empty path or a file that cannot be read,
    // 1 otherwise. Lines with fewer than three TABs are skipped; the first line of a key wins.
    int Load(std::wstring_view path);

    // The same on the file's bytes.
    void Parse(std::string_view bytes);

    // Name, channel value, service_id and transport_stream_id of one line; 0 for a line with
    // fewer than three TABs or a null entry.
    static int ParseLine(std::string_view line, shared::ChSet2Entry* entry);

    // The transport_stream_id of the first entry in key order with this channel value and
    // service_id: 1, or 0 (also for a null out pointer).
    int FindByCodeAndService(int channel, int serviceId, int* transportStreamId) const;

    // The transport_stream_id of the first entry in key order whose channel value lies in the
    // network class and whose service_id is this one: 1, or 0 (also for a null out pointer).
    int FindByService(int networkClass, int serviceId, int* transportStreamId) const;

    const std::map<std::int32_t, shared::ChSet2Entry>& entries() const { return entries_; }

  private:
    // The transport_stream_id of the first entry in key order that `matches`.
    template <class Match>
    int FindFirst(const Match& matches, int* transportStreamId) const;

    std::map<std::int32_t, shared::ChSet2Entry> entries_;
};

}  // namespace timer_core
