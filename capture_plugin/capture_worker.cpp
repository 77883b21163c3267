#include "capture_plugin/capture_worker.h"

#include "capture_plugin/channel_class.h"
#include "capture_plugin/channel_table_merge.h"
#include "capture_plugin/epg_data_copy.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/paths.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {
namespace {

constexpr std::size_t kPacketSize = 188;
constexpr platform::DWORD kIdleSleepMs = 4;
constexpr platform::DWORD kTuneSettleMs = 1000;
constexpr std::int64_t kMinChannelSeconds = 60;
constexpr std::int64_t kMaxChannelSeconds = 420;

int PacketPid(const platform::BYTE* packet) {
    return ((packet[1] & 0x1F) << 8) | packet[2];
}

bool IsScrambled(const platform::BYTE* packet) {
    return (packet[3] & 0xC0) != 0;
}

// PAT, SDT, EIT and TDT/TOT: what the watch step parses.
bool IsWatchedPid(int pid) {
    return pid == 0x0000 || pid == 0x0011 || pid == 0x0012 || pid == 0x0014;
}

// The NIT as well, while a collection writes the data file.
bool IsCollectedPid(int pid) {
    return IsWatchedPid(pid) || pid == 0x0010;
}

int BasicOnlyMode(std::uint32_t channel, int bsBasicOnly, int csBasicOnly) {
    return (IsBsChannel(channel) && bsBasicOnly == 1) || (IsCsChannel(channel) && csBasicOnly == 1)
               ? 1
               : 0;
}

std::wstring DataFileName(std::uint32_t channel) {
    return L"ch" + std::to_wstring(static_cast<std::int32_t>(channel)) + L"_epg.dat";
}

}  // namespace

platform::DWORD CaptureThreadProc(CQuorvantelDlg* dlg, platform::HWND window) {
    return CaptureWorker(*dlg, window).Run();
}

platform::DWORD CaptureWorker::Run() {
    wasCapturing_ = dlg_.capturing_ != 0;
    while (platform::WaitForSingleObject(dlg_.stopEvent_, 0) != platform::WAIT_OBJECT_0) {
        Round();
    }
    // Stopped in the middle of a channel: the data file is closed as it is.
    dataFile_.Close();
    context_.reset();
    return 0;
}

void CaptureWorker::Round() {
    if (!context_) NewContext();
    bool queueEmpty = false;
    if (dlg_.channelChanged_.exchange(0) != 0) {
        if (!RestartOnChannelChange()) {
            dlg_.channelChanged_ = 1;
            return;
        }
        queueEmpty = true;
    } else {
        std::unique_ptr<StreamBuffer> chunk;
        if (!Pop(&chunk, &queueEmpty)) return;
        if (chunk) {
            const auto target = dlg_.capturing_ != 0 ? dlg_.CurrentCaptureTarget() : std::nullopt;
            if (target) {
                CollectionStep(*chunk, *target);
            } else {
                WatchStep(*chunk);
            }
            wasCapturing_ = dlg_.capturing_ != 0;
            if (context_) dlg_.currentTransportStreamId_ = context_->transportStreamId;
        }
    }
    if (queueEmpty) platform::WaitForSingleObject(dlg_.stopEvent_, kIdleSleepMs);
}

bool CaptureWorker::RestartOnChannelChange() {
    {
        std::lock_guard lock(dlg_.storeLock_);
        context_->Clear();
        dlg_.store_->Clear();
        dlg_.storeChannel_ = dlg_.currentChannel_;
    }
    return dlg_.DropQueuedChunks();
}

bool CaptureWorker::Pop(std::unique_ptr<StreamBuffer>* chunk, bool* queueEmpty) {
    if (!dlg_.TakeQueueLock()) return false;
    auto& queue = dlg_.streamQueue_;
    if (queue.size() > kQueueLimit) {
        queue.erase(queue.begin(),
                    queue.begin() + static_cast<std::ptrdiff_t>(queue.size() - (kQueueLimit - 1)));
        platform::OutputDebugStringW(L"BuffOverr");
    }
    if (!queue.empty()) {
        *chunk = std::move(queue.front());
        queue.pop_front();
    }
    *queueEmpty = queue.empty();
    dlg_.ReleaseQueueLock();
    return true;
}

void CaptureWorker::WatchStep(const StreamBuffer& chunk) {
    context_->scheduleCollectionOff = 1;
    dataFile_.Close();
    std::int64_t scrambled = 0;
    std::lock_guard lock(dlg_.storeLock_);
    for (std::size_t offset = 0; offset + kPacketSize <= chunk.length; offset += kPacketSize) {
        const platform::BYTE* packet = chunk.data.get() + offset;
        if (IsScrambled(packet)) ++scrambled;
        if (!IsWatchedPid(PacketPid(packet))) continue;
        Feed(packet);
        dlg_.UpdateProgramInfo(*context_);
    }
    dlg_.scrambleCount_ += scrambled;
}

void CaptureWorker::CollectionStep(const StreamBuffer& chunk, const CaptureTarget& target) {
    if (!wasCapturing_) {
        NewContext();
        startTime_ = NowSeconds();
    }
    context_->scheduleCollectionOff = 0;
    const int basicOnly = BasicOnlyMode(target.entry.channel, dlg_.bsBasicOnly_, dlg_.csBasicOnly_);
    if (context_->otherTsMode != basicOnly) context_->Clear();
    context_->otherTsMode = basicOnly;
    if (dlg_.PolledStatus().recording == 1) {
        EndCollection(target, shared::WM_CAPTURE_CANCELLED_REC, kStatusIdle);
        dlg_.captureRunning_ = 0;
        return;
    }
    const WalkResult result = CollectPackets(chunk, target, basicOnly);
    const bool written = WritePending();
    if (result == WalkResult::kFileError || !written) {
        dataFile_.Close();
        EndCollection(target, shared::WM_CAPTURE_FILE_ERROR, kStatusFileError);
        return;
    }
    if (result == WalkResult::kChannelDone) ChannelEnd(target);
}

CaptureWorker::WalkResult CaptureWorker::CollectPackets(const StreamBuffer& chunk,
                                                        const CaptureTarget& target,
                                                        int basicOnly) {
    std::int64_t scrambled = 0;
    WalkResult result = WalkResult::kGoOn;
    std::lock_guard lock(dlg_.storeLock_);
    for (std::size_t offset = 0; offset + kPacketSize <= chunk.length; offset += kPacketSize) {
        const platform::BYTE* packet = chunk.data.get() + offset;
        if (IsScrambled(packet)) ++scrambled;
        if (!IsCollectedPid(PacketPid(packet))) continue;
        if (!dataFile_.IsValid() && !OpenDataFile(target, basicOnly)) {
            result = WalkResult::kFileError;
            break;
        }
        pending_.append(reinterpret_cast<const char*>(packet), kPacketSize);
        const int added = Feed(packet);
        const std::int64_t now = NowSeconds();
        if (startTime_ == 0) startTime_ = now;
        const std::int64_t elapsed = now - startTime_;
        if ((elapsed > kMaxChannelSeconds || added == broadcast::kScheduleComplete) &&
            elapsed > kMinChannelSeconds) {
            result = WalkResult::kChannelDone;
            break;
        }
        dlg_.UpdateProgramInfo(*context_);
    }
    dlg_.scrambleCount_ += scrambled;
    return result;
}

bool CaptureWorker::OpenDataFile(const CaptureTarget& target, int basicOnly) {
    dataName_ = DataFileName(target.entry.channel);
    dataPath_ = platform::JoinPath(target.savePath, dataName_);
    dataFile_ = platform::CreateFileW(dataPath_, platform::GENERIC_WRITE, platform::FILE_SHARE_READ,
                                      platform::CREATE_ALWAYS);
    if (!dataFile_.IsValid()) return false;
    // A fresh store for the channel; the caller holds the store lock.
    dlg_.store_ = std::make_unique<broadcast::EpgStore>();
    NewContext();
    context_->otherTsMode = basicOnly;
    return true;
}

bool CaptureWorker::WritePending() {
    if (pending_.empty()) return true;
    const bool written = dataFile_.IsValid() && dataFile_.WriteAll(pending_);
    pending_.clear();
    return written;
}

void CaptureWorker::ChannelEnd(const CaptureTarget& target) {
    MergeChannelTables(*dlg_.store_, context_->transportStreamId, target.entry.channel,
                       dlg_.chSetPath_, dlg_.chSet2Path_);
    const auto next = dlg_.AdvanceCollection(target.generation, target.index, target.entry.channel);
    if (!next || static_cast<std::size_t>(*next) >= dlg_.CaptureListSize()) {
        // The last channel, or a collection cancelled while this channel ended: the file is
        // complete either way.
        const bool copied = CloseAndCopyDataFile();
        context_.reset();
        if (!next) return;
        if (copied) {
            dlg_.FinishCollection(target.generation, window_, shared::WM_CAPTURE_DONE,
                                  kStatusFinished);
        } else {
            EndWithCopyFailure(target);
        }
        return;
    }
    const auto nextTarget = dlg_.CurrentCaptureTarget();
    if (nextTarget && nextTarget->generation == target.generation) {
        if (PluginHost* host = dlg_.Host()) host->SetChannel(nextTarget->entry.channel);
    }
    platform::WaitForSingleObject(dlg_.stopEvent_, kTuneSettleMs);
    dlg_.DropQueuedChunks();
    const bool copied = CloseAndCopyDataFile();
    context_.reset();
    if (copied) {
        dlg_.ContinueCollection(target.generation, window_);
    } else {
        EndWithCopyFailure(target);
    }
}

bool CaptureWorker::CloseAndCopyDataFile() {
    if (!dataFile_.IsValid()) return true;
    dataFile_.Close();
    return CopyToEpgData(dataPath_, dlg_.documentsFolder_, dataName_);
}

void CaptureWorker::EndWithCopyFailure(const CaptureTarget& target) {
    const std::wstring copy = EpgDataPath(dlg_.documentsFolder_, dataName_);
    platform::OutputDebugStringW(L"EPG data copy failed: " + copy);
    dlg_.FinishCollection(target.generation, window_, shared::WM_CAPTURE_FILE_ERROR,
                          kStatusFileError, copy);
}

void CaptureWorker::EndCollection(const CaptureTarget& target, platform::UINT message,
                                  std::int32_t status) {
    dlg_.FinishCollection(target.generation, window_, message, status);
    context_.reset();
}

int CaptureWorker::Feed(const platform::BYTE* packet) {
    const int added = context_->AddPacket(packet);
    if (context_->broadcastTime != 0) dlg_.SetBroadcastTimeOffset(context_->broadcastTime);
    return added;
}

void CaptureWorker::NewContext() {
    context_ = std::make_unique<broadcast::StreamSiCapture>();
    context_->store = dlg_.store_.get();
}

std::int64_t CaptureWorker::NowSeconds() const {
    return static_cast<std::int64_t>(platform::Clock::Instance().NowLocal() /
                                     platform::kFileTimePerSecond);
}

}  // namespace capture_plugin
