// Turns a transport stream, one 188-byte packet at a time, into EPG data: routes the packets of
// the PAT, NIT, SDT, EIT and TDT/TOT PIDs to their section assemblers and runs each table's
// handler on the sections they complete. Services and events go into the EpgStore the owner
// gives; after every EIT batch a completeness rule tells whether the schedules of all tracked
// services are complete. Runs on the owner's thread and never blocks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "broadcast/eit_section.h"
#include "broadcast/epg_store.h"
#include "broadcast/section_assembler.h"

namespace broadcast {

// Results of StreamSiCapture::OnEit (and so of AddPacket for EIT packets).
inline constexpr int kScheduleComplete = 100;          // basic and extended schedules complete
inline constexpr int kScheduleBasicComplete = 101;     // basic only
inline constexpr int kScheduleExtendedComplete = 102;  // extended only
inline constexpr int kScheduleIncomplete = 1;

class StreamSiCapture {
  public:
    using TrackingMap = std::map<std::uint32_t, std::unique_ptr<ServiceScheduleRecord>>;

    StreamSiCapture() = default;
    ~StreamSiCapture();
    StreamSiCapture(const StreamSiCapture&) = delete;
    StreamSiCapture& operator=(const StreamSiCapture&) = delete;

    // Forgets the schedule tracking; time, stream id, TS name, flags and store stay.
    void Clear();

    // One packet: 0 for null; 1 for a PID that is not followed; the assembler's 0 or 10-13 as
    // they come; else the handler's result (1, or 100/101/102/1 for the EIT).
    int AddPacket(const std::uint8_t* packet);

    int OnPat();
    int OnNit();
    int OnSdt();
    int OnTot();
    int OnEit();

    // 1 stored, 0 refused.
    int OnEitPresentFollowing(std::uint8_t tableId, const EitSection* eit);
    // 1 when the section was taken, 0 when refused (the dispatcher ignores both).
    int OnEitScheduleBasic(std::uint8_t tableId, const EitSection* eit);
    int OnEitScheduleExtended(std::uint8_t tableId, const EitSection* eit);

    const TrackingMap& trackingMap() const { return trackingMap_; }

    // Read by the owner.
    std::uint64_t broadcastTime = 0;  // FILETIME of JST wall time as broadcast; 0 = none yet
    int transportStreamId = 0;        // from the PAT; 0 until the first
    int firstProgramNumber = 0;       // program_number of the PAT's second entry
    std::wstring tsName;              // from the NIT's TS information descriptor
    std::uint32_t broadcastHour = 0;  // hour of the last TDT/TOT time

    // Set by the owner.
    int scheduleCollectionOff = 0;  // 1: schedules are ignored and the verdict is 1
    int otherTsMode = 0;  // non-zero: every stream's services and schedules; 1: also 0x60-0x6F
    EpgStore* store = nullptr;  // not owned; null stores nothing

  private:
    enum class ScheduleClass { kBasic, kExtended };

    bool InScheduleWindow(std::uint8_t tableId, ScheduleClass cls) const;
    int OnEitSchedule(std::uint8_t tableId, const EitSection* eit, ScheduleClass cls);
    void RecordSection(ServiceScheduleRecord& record, std::uint8_t tableId, const EitSection& eit,
                       ScheduleClass cls) const;
    void AddSegment(EitTableRecord& table, const EitSection& eit) const;
    int ScheduleVerdict() const;

    TrackingMap trackingMap_;        // never holds events or texts
    SectionAssembler totAssembler_;  // PID 0x14
    SectionAssembler eitAssembler_;  // PID 0x12
    SectionAssembler sdtAssembler_;  // PID 0x11
    SectionAssembler patAssembler_;  // PID 0x00
    SectionAssembler nitAssembler_;  // PID 0x10
};

}  // namespace broadcast
