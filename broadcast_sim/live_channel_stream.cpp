#include "broadcast_sim/live_channel_stream.h"

#include <algorithm>
#include <exception>
#include <string>

#include "broadcast_sim/eit_builder.h"
#include "broadcast_sim/nit_builder.h"
#include "broadcast_sim/pat_builder.h"
#include "broadcast_sim/pmt_builder.h"
#include "broadcast_sim/sdt_builder.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/debug_output.h"

namespace broadcast_sim {
namespace {

constexpr std::uint64_t kSegmentLength = 3 * 3600 * platform::kFileTimePerSecond;
constexpr std::uint64_t kTotPeriodMs = 5000;
constexpr int kScheduleDays = 8;
constexpr std::uint8_t kStreamTypeVideo = 0x02, kStreamTypeAudio = 0x0F;

void AddAll(std::vector<PidSection>& to, std::uint16_t pid, std::vector<Section> sections) {
    for (Section& s : sections)
        to.push_back({pid, std::move(s)});
}

// Runs a table build; a description that a table cannot carry (a text too long for its field,
// more events than a segment holds) leaves that table out instead of ending the stream.
template <class Build>
void Guarded(const std::wstring& what, Build&& build) {
    try {
        build();
    } catch (const std::exception&) {
        platform::OutputDebugStringW(L"broadcast_sim: cannot carry " + what);
    }
}

EitService EitIds(const ChannelBroadcast& channel, const ServiceSchedule& service) {
    return {service.service_id, channel.transport_stream_id, channel.original_network_id};
}

}  // namespace

LiveChannelStream::LiveChannelStream(DayProvider provider, std::vector<ScheduleChange> changes,
                                     LiveStreamSettings settings)
    : provider_(std::move(provider)),
      changes_(std::move(changes)),
      settings_(settings),
      schedule_(std::max<std::uint64_t>(settings.schedule_cycle_ms, 1)) {}

void LiveChannelStream::Produce(std::uint64_t nowLocal, std::uint64_t tickMs, std::size_t budget,
                                std::vector<TsPacket>& out) {
    const std::size_t before = out.size();
    if (NeedsRebuild(nowLocal)) Rebuild(nowLocal, tickMs);
    RefreshPresentFollowing(nowLocal, tickMs, false);
    const auto emit = [&](const PidSection& s) { Emit(s, out); };
    psi_.TakeDue(tickMs, emit);
    nitSdt_.TakeDue(tickMs, emit);
    EmitTime(nowLocal, tickMs, out);
    presentFollowing_.TakeDue(tickMs, emit);
    schedule_.TakeDue(tickMs, emit);
    const std::size_t tables = out.size() - before;
    if (filler_ && budget > tables) filler_->Append(budget - tables, out);
}

// A TOT every five seconds as broadcasters send it, and a TDT in every other second: a recording
// then shows to the second which part of the broadcast it holds.
void LiveChannelStream::EmitTime(std::uint64_t nowLocal, std::uint64_t tickMs,
                                 std::vector<TsPacket>& out) {
    const std::uint64_t second = nowLocal / platform::kFileTimePerSecond;
    if (!totSent_ || tickMs >= nextTotMs_) {
        Emit({kPidTot, BuildTot(ToCalendar(nowLocal))}, out);
        nextTotMs_ = totSent_ && tickMs < nextTotMs_ + kTotPeriodMs ? nextTotMs_ + kTotPeriodMs
                                                                    : tickMs + kTotPeriodMs;
        totSent_ = true;
    } else if (second != markedSecond_) {
        Emit({kPidTot, BuildTdt(ToCalendar(nowLocal))}, out);
    }
    markedSecond_ = second;
}

void LiveChannelStream::BreakContinuity() {
    if (filler_) filler_->BreakContinuity();
}

bool LiveChannelStream::NeedsRebuild(std::uint64_t now) const {
    return !built_ || now / kSegmentLength != segment_ || (nextChange_ != 0 && now >= nextChange_);
}

void LiveChannelStream::Rebuild(std::uint64_t now, std::uint64_t tickMs) {
    if (!built_ || StartOfDay(now) != baseDay_) {
        base_ = provider_(now);
        baseDay_ = StartOfDay(now);
    }
    onAir_ = WithChangesUntil(base_, changes_, now);
    timelines_.clear();
    for (const ServiceSchedule& service : onAir_.services) {
        Timeline& t = timelines_.emplace_back();
        for (const EventDescription& e : service.events) {
            t.starts.push_back(ToTimeValue(e.start));
            t.ends.push_back(t.starts.back() + e.duration_seconds * platform::kFileTimePerSecond);
        }
    }
    if (!filler_) {
        std::vector<std::pair<std::uint16_t, std::uint16_t>> pids;
        for (std::size_t i = 0; i < onAir_.services.size(); ++i)
            pids.emplace_back(VideoPid(i), AudioPid(i));
        filler_.emplace(pids, settings_.scrambled_share);
    }
    if (built_) scheduleVersion_ = (scheduleVersion_ + 1) & 0x1F;
    built_ = true;
    segment_ = now / kSegmentLength;
    nextChange_ = NextChangeAfter(onAir_.channel, changes_, now);

    std::vector<PidSection> psi;
    std::vector<PidSection> nitSdt;
    for (PidSection& s : BuildTables())
        (s.pid == kPidNit || s.pid == kPidSdt ? nitSdt : psi).push_back(std::move(s));
    psi_.Reset(std::move(psi), tickMs);
    nitSdt_.Reset(std::move(nitSdt), tickMs);
    schedule_.Reset(BuildSchedules(now), tickMs);
    RefreshPresentFollowing(now, tickMs, true);
}

std::vector<PidSection> LiveChannelStream::BuildTables() const {
    std::vector<PidSection> tables;
    PatDescription pat;
    pat.transport_stream_id = onAir_.transport_stream_id;
    NitTransportStream ts;
    ts.transport_stream_id = onAir_.transport_stream_id;
    ts.original_network_id = onAir_.original_network_id;
    ts.ts_name = onAir_.ts_name;
    ts.remote_control_key_id = 1;
    SdtDescription sdt;
    sdt.transport_stream_id = onAir_.transport_stream_id;
    sdt.original_network_id = onAir_.original_network_id;
    for (std::size_t i = 0; i < onAir_.services.size(); ++i) {
        const ServiceSchedule& service = onAir_.services[i];
        pat.programs.push_back({service.service_id, PmtPid(i)});
        ts.service_ids.push_back(service.service_id);
        SdtService entry;
        entry.service_id = service.service_id;
        entry.service_type = service.service_type;
        entry.provider_name = onAir_.ts_name;
        entry.service_name = service.name;
        sdt.services.push_back(std::move(entry));
    }
    Guarded(L"the PAT", [&] { tables.push_back({kPidPat, BuildPat(pat)}); });
    for (std::size_t i = 0; i < onAir_.services.size(); ++i) {
        PmtDescription pmt;
        pmt.program_number = onAir_.services[i].service_id;
        pmt.pcr_pid = VideoPid(i);
        pmt.streams = {{kStreamTypeVideo, VideoPid(i)}, {kStreamTypeAudio, AudioPid(i)}};
        tables.push_back({PmtPid(i), BuildPmt(pmt)});
    }
    NitDescription nit;
    nit.network_id = onAir_.original_network_id;
    nit.transport_streams.push_back(std::move(ts));
    Guarded(L"the NIT", [&] { tables.push_back({kPidNit, BuildNit(nit)}); });
    Guarded(L"the SDT", [&] { AddAll(tables, kPidSdt, BuildSdt(sdt)); });
    return tables;
}

// The schedules of all services mixed section by section, as a broadcaster's carousel does.
std::vector<PidSection> LiveChannelStream::BuildSchedules(std::uint64_t now) const {
    std::vector<std::vector<Section>> lists;
    for (const ServiceSchedule& service : onAir_.services) {
        ScheduleDescription schedule;
        schedule.service = EitIds(onAir_, service);
        schedule.version_number = scheduleVersion_;
        schedule.first_day = ToCalendar(StartOfDay(now));
        schedule.first_segment = static_cast<int>((now - StartOfDay(now)) / kSegmentLength);
        schedule.days = kScheduleDays;
        schedule.events = service.events;
        Guarded(L"the schedule of service " + std::to_wstring(service.service_id), [&] {
            std::vector<Section> basic = BuildEitScheduleBasic(schedule);
            std::vector<Section> extended = BuildEitScheduleExtended(schedule);
            lists.push_back(std::move(basic));
            lists.push_back(std::move(extended));
        });
    }
    std::vector<PidSection> sections;
    AddAll(sections, kPidEit, InterleaveSections(lists));
    return sections;
}

// Per service the indices of the present and the following event (-1: none).
LiveChannelStream::PfKey LiveChannelStream::PresentFollowing(std::uint64_t now) const {
    PfKey key;
    for (const Timeline& t : timelines_) {
        const auto next = std::upper_bound(t.starts.begin(), t.starts.end(), now);
        const auto following = static_cast<int>(next - t.starts.begin());
        const int present = following > 0 && t.ends[following - 1] > now ? following - 1 : -1;
        key.push_back(present);
        key.push_back(following < static_cast<int>(t.starts.size()) ? following : -1);
    }
    return key;
}

void LiveChannelStream::RefreshPresentFollowing(std::uint64_t now, std::uint64_t tickMs,
                                                bool force) {
    PfKey key = PresentFollowing(now);
    if (!force && key == pfKey_) return;
    pfKey_ = std::move(key);
    pfVersion_ = (pfVersion_ + 1) & 0x1F;
    std::vector<PidSection> sections;
    for (std::size_t i = 0; i < onAir_.services.size(); ++i) {
        const ServiceSchedule& service = onAir_.services[i];
        const auto event = [&](int index) {
            return index < 0 ? nullptr : &service.events[static_cast<std::size_t>(index)];
        };
        Guarded(L"present/following of service " + std::to_wstring(service.service_id), [&] {
            AddAll(sections, kPidEit,
                   BuildEitPresentFollowing(EitIds(onAir_, service), pfVersion_,
                                            event(pfKey_[2 * i]), event(pfKey_[2 * i + 1])));
        });
    }
    presentFollowing_.Reset(std::move(sections), tickMs);
}

void LiveChannelStream::Emit(const PidSection& section, std::vector<TsPacket>& out) {
    auto it = packetizers_.try_emplace(section.pid, section.pid).first;
    const std::vector<TsPacket> packets = it->second.Packetize({section.section});
    out.insert(out.end(), packets.begin(), packets.end());
}

}  // namespace broadcast_sim
