// The timer's SI capture context: replays the packets of one collected EPG data file
// (ch<channel>_epg.dat) into the EPG store. It follows only the PAT, SDT, EIT and TDT/TOT PIDs
// (a NIT in the file is passed over) and takes from the PAT nothing but the transport_stream_id.
// Its completeness rule looks at each table on its own: a table is complete when every segment it
// announces has arrived, where the first table of a class is forgiven the segments of the day
// already gone by the broadcast hour, which a broadcaster no longer sends.
#pragma once

#include "broadcast/si_capture_context.h"

namespace broadcast {

class FileSiCapture : public SiCaptureContext {
  public:
    FileSiCapture() = default;
    ~FileSiCapture() override = default;

    // Forgets the schedule tracking, the transport_stream_id and the broadcast time.
    void Clear();

    // 1; a PAT with at least one entry sets the transport_stream_id.
    int OnPat() override;
    // 100, 101, 102 or 1; 1 also before any time was received when schedules are collected.
    int OnEit() override;
};

}  // namespace broadcast
