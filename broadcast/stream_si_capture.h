// The plug-in's SI capture context: turns the live transport stream, one 188-byte packet at a
// time, into EPG data. Besides what every capture context follows it reads the NIT for the TS
// name and the PAT for the first program number; its completeness rule counts the segments
// every tracked service should have received by the broadcast hour.
#pragma once

#include <cstdint>
#include <string>

#include "broadcast/si_capture_context.h"

namespace broadcast {

class StreamSiCapture : public SiCaptureContext {
  public:
    StreamSiCapture() = default;
    ~StreamSiCapture() override = default;

    // Forgets the schedule tracking; time, stream id, TS name, flags and store stay.
    void Clear();

    int OnPat() override;
    int OnNit();
    int OnEit() override;

    // Read by the owner.
    int firstProgramNumber = 0;  // program_number of the PAT's second entry
    std::wstring tsName;         // from the NIT's TS information descriptor

  private:
    int AddPacketOfOtherPid(int pid, const std::uint8_t* packet) override;

    SectionAssembler nitAssembler_;  // PID 0x10
};

}  // namespace broadcast
