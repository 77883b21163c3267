// What the two SI capture contexts share: the plug-in's StreamSiCapture, fed by the live stream,
// and the timer's FileSiCapture, fed by the collected EPG data files. Both route the packets of
// the PAT, SDT, EIT and TDT/TOT PIDs to their section assemblers and run each table's handler on
// the sections they complete; the SDT, TDT/TOT and EIT handlers are the same for both. Services
// and events go into the EpgStore the owner gives; after every EIT batch each context gives its
// own verdict on whether the schedules of all tracked services are complete. Runs on the owner's
// thread and never blocks.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "broadcast/eit_section.h"
#include "broadcast/epg_store.h"
#include "broadcast/present_following_repeats.h"
#include "broadcast/section_assembler.h"

namespace broadcast {

// Results of OnEit (and so of AddPacket for EIT packets).
inline constexpr int kScheduleComplete = 100;          // basic and extended schedules complete
inline constexpr int kScheduleBasicComplete = 101;     // basic only
inline constexpr int kScheduleExtendedComplete = 102;  // extended only
inline constexpr int kScheduleIncomplete = 1;

class SiCaptureContext {
  public:
    using TrackingMap = std::map<std::uint32_t, std::unique_ptr<ServiceScheduleRecord>>;

    virtual ~SiCaptureContext();
    SiCaptureContext(const SiCaptureContext&) = delete;
    SiCaptureContext& operator=(const SiCaptureContext&) = delete;

    // One packet: 0 for null; 1 for a PID that is not followed; the assembler's 0 or 10-13 as
    // they come; else the handler's result (1, or 100/101/102/1 for the EIT).
    int AddPacket(const std::uint8_t* packet);

    virtual int OnPat() = 0;
    int OnSdt();
    int OnTot();
    virtual int OnEit() = 0;

    // 1 stored (or a repeat that would change nothing passed over), 0 refused.
    int OnEitPresentFollowing(std::uint8_t tableId, const EitSection* eit);
    // 1 when the section was taken, 0 when refused (the dispatcher ignores both).
    int OnEitScheduleBasic(std::uint8_t tableId, const EitSection* eit);
    int OnEitScheduleExtended(std::uint8_t tableId, const EitSection* eit);

    const TrackingMap& trackingMap() const { return trackingMap_; }

    // Read by the owner.
    std::uint64_t broadcastTime = 0;  // FILETIME of JST wall time as broadcast; 0 = none yet
    std::uint32_t broadcastHour = 0;  // hour of the last TDT/TOT time
    int transportStreamId = 0;        // from the PAT; 0 until the first

    // Set by the owner.
    int scheduleCollectionOff = 0;  // 1: schedules are ignored and the verdict is 1
    int otherTsMode = 0;  // non-zero: every stream's services and schedules; 1: also 0x60-0x6F
    EpgStore* store = nullptr;  // not owned; null stores nothing

  protected:
    SiCaptureContext() = default;

    // A packet of a PID other than those of the PAT, SDT, EIT and TDT/TOT: 1 unless the context
    // follows more PIDs.
    virtual int AddPacketOfOtherPid(int pid, const std::uint8_t* packet);

    // The assembler's result for the packet, or the handler's when sections were completed.
    template <typename Handler>
    static int Assemble(SectionAssembler& assembler, const std::uint8_t* packet, Handler handler) {
        const int result = assembler.AddPacket(packet);
        return result == 1 ? handler() : result;
    }

    const SectionList& PatSections() const { return patAssembler_.published_sections(); }

    // The first step of every OnEit: each published EIT section to its handler.
    void DispatchEitSections();

    // The verdict over every tracked service, given when one service's tables of a class (never
    // empty) count as complete. A service without an extended table counts as extended-complete
    // when it has a basic table and the basic verdict so far (this service included) holds.
    int ScheduleVerdict(const std::function<bool(const EitTableMap&)>& complete) const;

    void ClearTracking() { trackingMap_.clear(); }

  private:
    enum class ScheduleClass { kBasic, kExtended };

    bool InScheduleWindow(std::uint8_t tableId, ScheduleClass cls) const;
    int OnEitSchedule(std::uint8_t tableId, const EitSection* eit, ScheduleClass cls);
    void RecordSection(ServiceScheduleRecord& record, std::uint8_t tableId, const EitSection& eit,
                       ScheduleClass cls) const;
    void AddSegment(EitTableRecord& table, const EitSection& eit) const;

    TrackingMap trackingMap_;  // never holds events or texts
    // The present/following sections stored into `repeatsStore_` (the store they were for).
    PresentFollowingRepeats presentFollowingRepeats_;
    const EpgStore* repeatsStore_ = nullptr;
    SectionAssembler totAssembler_;  // PID 0x14
    SectionAssembler eitAssembler_;  // PID 0x12
    SectionAssembler sdtAssembler_;  // PID 0x11
    SectionAssembler patAssembler_;  // PID 0x00
};

}  // namespace broadcast
