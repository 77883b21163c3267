// FriioView, the stand-in for the tuner maker's viewer: hosts the plug-ins beside it, plays the
// tuned channel of the synthetic broadcast and records on request.
//
// Exit status: 0 after WM_CLOSE, CloseViewer or a termination signal; 1 when the device or the
// broadcast description is missing, or no runtime folder can be used (a box says why); 2 for a
// malformed command line.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/runtime_folder.h"
#include "platform/utf8.h"
#include "ui/message_box.h"
#include "viewer/broadcast_catalog.h"
#include "viewer/termination_signals.h"
#include "viewer/viewer_app.h"
#include "viewer/viewer_command_line.h"
#include "viewer/viewer_settings.h"

namespace {

void Fail(const std::wstring& text) {
    std::fprintf(stderr, "FriioView: %s\n", platform::WideToUtf8(text).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(platform::Utf8ToWide(argv[i]));
    std::wstring error;
    const auto line = viewer::ParseViewerCommandLine(args, &error);
    if (!line) {
        Fail(error + L"\n" + viewer::kViewerUsage);
        return 2;
    }
    const std::wstring folder = platform::FolderOf(platform::HostExecutablePath());
    viewer::SettingsProblems problems;
    viewer::ViewerSettings settings =
        viewer::LoadViewerSettings(viewer::ViewerIniPath(folder), &problems);
    std::optional<viewer::DeviceSettings> device;
    if (line->device < settings.devices)
        device = viewer::LoadDeviceSettings(settings.iniPath, line->device, &problems);
    for (const std::wstring& problem : problems)
        Fail(problem);
    if (!device) {
        Fail(L"no tuner device " + std::to_wstring(line->device));
        return 1;
    }
    auto catalog = viewer::BroadcastCatalog::Load(settings, &error);
    if (!catalog) {
        Fail(L"cannot read the broadcast description " + error);
        return 1;
    }

    QApplication application(argc, argv);
    std::wstring refusal;
    if (platform::RuntimeFolder(&refusal).empty()) {
        const std::wstring text =
            L"cannot start: no folder for its windows and messages can be used\n" + refusal;
        Fail(text);
        ui::MessageBoxWithoutWindowServices(L"FriioView " + text, L"FriioView");
        return 1;
    }
    viewer::ViewerApp app(*line, std::move(settings), *device, std::move(*catalog), folder);
    viewer::TerminationSignals terminationSignals([] { QCoreApplication::exit(0); });
    if (!app.Start()) {
        Fail(L"cannot open the main window");
        return 1;
    }
    // Its window, plug-ins and tuner are up once the loop first runs.
    QTimer::singleShot(0, [] { platform::ReportProgramReady(); });
    const int status = application.exec();
    // Closing the recording and unloading the plug-ins cost real time, as starting does (a close
    // request holds the clock already).
    platform::HoldClockUntilExit();
    app.Shutdown();
    return status;
}
