#include "viewer/viewer_app.h"

#include <QCoreApplication>
#include <cstdio>

#include "platform/clock.h"
#include "platform/file_name_length.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/utf8.h"
#include "viewer/friio_registry.h"

namespace viewer {
namespace {

constexpr const wchar_t* kBsCsSection = L"BS110CS";

std::wstring Clock(std::int64_t seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::wstring DefaultRecordingName(std::uint32_t channel) {
    platform::SYSTEMTIME t;
    platform::GetLocalTime(&t);
    wchar_t text[64];
    std::swprintf(text, 64, L"%04d%02d%02d%02d%02d%02d-%u.ts", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, channel);
    return text;
}

void Warn(const std::wstring& text) {
    std::fprintf(stderr, "FriioView: %s\n", platform::WideToUtf8(text).c_str());
}

}  // namespace

ViewerApp::ViewerApp(ViewerCommandLine line, ViewerSettings settings, DeviceSettings device,
                     BroadcastCatalog catalog, std::wstring viewerFolder)
    : line_(std::move(line)),
      settings_(std::move(settings)),
      device_(device),
      catalog_(std::move(catalog)),
      folder_(std::move(viewerFolder)),
      tuner_(device_, settings_.chunkPackets,
             [this](const std::uint8_t* data, std::size_t size) {
                 recorder_.Write(data, size);
                 plugins_.OnStreamData(data, size);
             }),
      window_(*this) {}

ViewerApp::~ViewerApp() {
    Shutdown();
}

bool ViewerApp::Start() {
    LoadChannels();
    if (!window_.Create(0)) return false;
    RestoreWindowPosition();
    if (settings_.showWindow) window_.ShowWindow(ui::SW_SHOW);
    host_ = std::make_unique<ViewerHost>(window_.GetSafeHwnd(), device_, tuner_, recorder_);
    plugins_.LoadFolder(folder_);
    plugins_.Start(host_.get(), window_.GetSafeHwnd());
    std::uint32_t channel = 0;
    if (line_.channel) {
        channel = *line_.channel;
    } else if (!channels_.empty()) {
        channel = channels_.front().channel;
    }
    TuneTo(channel, catalog_.FirstService(channel));
    tuner_.Start();
    if (line_.record) {
        std::optional<std::int64_t> seconds;
        if (line_.minutes) seconds = std::int64_t{*line_.minutes} * 60;
        BeginRecording(line_.file, seconds, line_.errorLog);
    }
    Refresh();
    return true;
}

void ViewerApp::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    tuner_.Stop();
    FinishRecording();
    if (window_.GetSafeHwnd() != 0) SaveWindowPositions();
    plugins_.Unload();
    window_.DestroyWindow();
}

// The terrestrial area comes from the registry; without a usable one the viewer takes its
// default area and keeps it there, as a first start does.
void ViewerApp::LoadChannels() {
    if (device_.kind == TunerKind::kBsCs) {
        channels_ = LoadChannelList(platform::JoinPath(folder_, L"bscs.ini"), kBsCsSection);
        return;
    }
    std::wstring area = ReadFriioString(kAreaValue);
    if (area.empty()) WriteFriioString(kAreaValue, settings_.defaultArea);
    if (area.empty() || area == kBsCsSection) area = settings_.defaultArea;
    channels_ = LoadChannelList(platform::JoinPath(folder_, L"channels.ini"), area);
}

void ViewerApp::TuneTo(std::uint32_t channel, std::uint16_t service) {
    std::unique_ptr<broadcast_sim::PacketSource> source;
    if (CanReceive(device_.kind, channel)) source = catalog_.OpenSource(channel, device_);
    signal_ = source != nullptr;
    channel_ = channel;
    channelName_.clear();
    for (const ChannelEntry& e : channels_) {
        if (e.channel == channel_) channelName_ = e.name;
    }
    tuner_.SetSource(std::move(source));
    SelectService(service);
}

int ViewerApp::TunerKindReply() {
    return static_cast<int>(device_.kind);
}

void ViewerApp::StartRecordingOnRequest(int minutes) {
    if (recorder_.IsRecording()) return;
    const std::wstring name = plugins_.GetRecFileName();
    BeginRecording(name, std::int64_t{minutes} * 60, false);
}

bool ViewerApp::BeginRecording(const std::wstring& name, std::optional<std::int64_t> seconds,
                               bool errorLog) {
    if (recorder_.IsRecording()) return false;
    // A name longer than the file system takes is shortened rather than not recorded; with an
    // error log, the log's name must fit too. (A plug-in's path already fits, with room for the
    // plug-in's own files beside the recording.)
    const std::wstring wanted = RecordingPath(name);
    const std::wstring path =
        platform::FitFileName(wanted, errorLog ? platform::WideToUtf8(kErrorLogSuffix).size() : 0);
    if (path != wanted) Warn(L"the name is too long for the file system; recording to " + path);
    if (!recorder_.Start(path, seconds)) {
        Warn(L"cannot record to " + path);
        Refresh();
        return false;
    }
    if (errorLog) {
        errorLog_.emplace(path);
        errorLog_->Started(channel_, service_, Counts());
    }
    Refresh();
    return true;
}

void ViewerApp::StopRecording() {
    FinishRecording();
    Refresh();
}

// The log ends with the recording, however the recording ended.
void ViewerApp::FinishRecording() {
    recorder_.Stop();
    if (errorLog_) {
        if (recorder_.WriteError() != 0) errorLog_->WriteFailed(recorder_.WriteError(), Counts());
        errorLog_->Stopped(Counts());
    }
    errorLog_.reset();
}

void ViewerApp::AdjustRecording(std::int32_t seconds) {
    recorder_.Adjust(seconds);
    Refresh();
}

void ViewerApp::Tune(std::uint32_t channel) {
    if (CanReceive(device_.kind, channel)) TuneTo(channel, catalog_.FirstService(channel));
}

void ViewerApp::SelectService(std::uint16_t serviceId) {
    service_ = serviceId;
    serviceName_ = catalog_.ServiceName(channel_, service_);
    plugins_.OnChannelChanged(channel_, service_);
    Refresh();
}

// exit, not quit: quit would first ask every window to close, and the plug-in's window refuses.
void ViewerApp::Quit() {
    platform::HoldClockUntilExit();
    QCoreApplication::exit(0);
}

void ViewerApp::Tick() {
    recorder_.StopIfDue();
    if (errorLog_) {
        if (recorder_.IsRecording()) {
            errorLog_->Update(Counts());
        } else {
            FinishRecording();
        }
    }
    Refresh();
}

std::wstring ViewerApp::RecordingPath(const std::wstring& name) const {
    const std::wstring file = name.empty() ? DefaultRecordingName(channel_) : name;
    if (file.front() == platform::kPathSeparator) return file;
    std::wstring folder = ReadFriioString(kSavePathValue);
    if (folder.empty()) folder = platform::GetDocumentsFolder();
    return platform::JoinPath(folder, file);
}

ReceptionCounts ViewerApp::Counts() const {
    return {tuner_.ErrorCount(), recorder_.ScrambledPackets(), device_.cardState,
            recorder_.Packets()};
}

void ViewerApp::RestoreWindowPosition() {
    const auto rect = ReadWindowPos(kVideoWindowPosValue);
    if (rect && rect->right > rect->left && rect->bottom > rect->top)
        window_.SetWindowPosition(rect->left, rect->top);
}

void ViewerApp::SaveWindowPositions() {
    const QRect frame = window_.GetWindowRect();
    const QRect client = window_.geometry();
    WriteWindowPos(kVideoWindowPosValue, {frame.left(), frame.top(), frame.left() + frame.width(),
                                          frame.top() + frame.height()});
    WriteWindowPos(kControlWindowPosValue,
                   {client.left(), client.top(), client.left() + client.width(),
                    client.top() + client.height()});
}

void ViewerApp::Refresh() {
    ViewerDisplay d;
    d.device = L"デバイス " + std::to_wstring(line_.device) +
               (device_.kind == TunerKind::kBsCs ? L": BS/CS" : L": 地上デジタル");
    if (device_.cardState != 0) d.device += L"  カード状態 " + std::to_wstring(device_.cardState);
    d.channel = L"チャンネル " + std::to_wstring(channel_) + L" " + channelName_ +
                (signal_ ? L"" : L"  (信号なし)");
    d.service = L"サービス " + std::to_wstring(service_) + L" " + serviceName_;
    if (recorder_.IsRecording()) {
        d.recording = L"録画中 " + Clock(recorder_.ElapsedSeconds()) + L" / " +
                      Clock(recorder_.PlannedSeconds()) + L"  " + recorder_.Path();
    } else {
        d.recording = L"録画停止中";
    }
    window_.Show(d);
}

}  // namespace viewer
