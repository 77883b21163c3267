// The viewer as a whole: its settings, channel list, tuner, recording, plug-ins and main window,
// and what each message and command-line option makes of them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "viewer/broadcast_catalog.h"
#include "viewer/channel_list.h"
#include "viewer/plugin_set.h"
#include "viewer/recorder.h"
#include "viewer/recording_error_log.h"
#include "viewer/tuner.h"
#include "viewer/viewer_command_line.h"
#include "viewer/viewer_host.h"
#include "viewer/viewer_settings.h"
#include "viewer/viewer_window.h"

namespace viewer {

class ViewerApp : public ViewerCommands {
  public:
    ViewerApp(ViewerCommandLine line, ViewerSettings settings, DeviceSettings device,
              BroadcastCatalog catalog, std::wstring viewerFolder);
    ~ViewerApp() override;

    // Opens the main window, starts the plug-ins, tunes, starts the tuner and, with -x, the
    // recording. False when the main window cannot be created.
    bool Start();
    // After the event loop: stops the tuner and the recording, keeps the window positions,
    // unloads the plug-ins and closes the window.
    void Shutdown();

    int TunerKindReply() override;
    void StartRecordingOnRequest(int minutes) override;
    void StopRecording() override;
    void AdjustRecording(std::int32_t seconds) override;
    void Tune(std::uint32_t channel) override;
    void SelectService(std::uint16_t serviceId) override;
    void Quit() override;
    void Tick() override;

  private:
    void LoadChannels();
    void TuneTo(std::uint32_t channel, std::uint16_t service);
    bool BeginRecording(const std::wstring& name, std::optional<std::int64_t> seconds,
                        bool errorLog);
    void FinishRecording();
    std::wstring RecordingPath(const std::wstring& name) const;
    ReceptionCounts Counts() const;
    void RestoreWindowPosition();
    void SaveWindowPositions();
    void Refresh();

    ViewerCommandLine line_;
    ViewerSettings settings_;
    DeviceSettings device_;
    BroadcastCatalog catalog_;
    std::wstring folder_;
    std::vector<ChannelEntry> channels_;

    std::uint32_t channel_ = 0;
    std::uint16_t service_ = 0;
    bool signal_ = false;
    std::wstring channelName_;  // from the channel list
    std::wstring serviceName_;  // from the broadcast

    Recorder recorder_;
    std::optional<RecordingErrorLog> errorLog_;
    PluginSet plugins_;
    Tuner tuner_;
    ViewerWindow window_;
    std::unique_ptr<ViewerHost> host_;
    bool shutDown_ = false;
};

}  // namespace viewer
