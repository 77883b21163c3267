// The real FriioView run in a private folder of its own (a copy of the binary, its sample channel
// lists and a plug-in), its standard output and error coming back as lines; and the messages of
// the viewer tests' recording plug-in (tests/viewer/helpers/recording_plugin.cpp), which writes
// every call it receives as a line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_messages.h"
#include "tests/support/helper_process.h"

namespace test_support {

// Messages to the recording plug-in's window: host calls it makes, and reports it writes.
inline constexpr platform::UINT kPluginTune = platform::WM_USER + 1;
inline constexpr platform::UINT kPluginSelectService = platform::WM_USER + 2;
inline constexpr platform::UINT kPluginCloseViewer = platform::WM_USER + 3;
inline constexpr platform::UINT kPluginStatus = platform::WM_USER + 4;
inline constexpr platform::UINT kPluginStream = platform::WM_USER + 5;  // "Stream bytes=<n> ..."

// Copies the built viewer with its channel lists, and the plug-in, into `folder` (created).
void CopyViewer(const std::filesystem::path& folder, const std::filesystem::path& friioView,
                const std::filesystem::path& plugin);

// Starts the viewer copied into `folder` with the arguments, offscreen, with the test's
// environment plus `env` ("NAME=value" entries); through `launcher` (a program and its
// arguments, the viewer's command line following) when one is given.
std::unique_ptr<HelperProcess> StartViewer(const std::filesystem::path& folder,
                                           const std::vector<std::string>& args,
                                           std::vector<std::string> env,
                                           const std::vector<std::string>& launcher = {});

struct PluginWindows {
    platform::HWND host = 0;  // the viewer's main window
    platform::HWND own = 0;   // the plug-in's window
};
// Reads the viewer's lines until the plug-in reports its window.
std::optional<PluginWindows> AwaitPluginWindows(HelperProcess& viewer);

// The stream bytes the plug-in has received so far; the rest of its report in `rest`.
std::optional<std::uint64_t> StreamBytes(HelperProcess& viewer, platform::HWND own,
                                         std::string* rest = nullptr);

}  // namespace test_support
