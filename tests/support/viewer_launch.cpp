#include "tests/support/viewer_launch.h"

namespace test_support {

void CopyViewer(const std::filesystem::path& folder, const std::filesystem::path& friioView,
                const std::filesystem::path& plugin) {
    std::filesystem::create_directories(folder);
    for (const char* name : {"FriioView", "channels.ini", "bscs.ini"})
        std::filesystem::copy_file(friioView.parent_path() / name, folder / name);
    std::filesystem::copy_file(plugin, folder / plugin.filename());
}

std::unique_ptr<HelperProcess> StartViewer(const std::filesystem::path& folder,
                                           const std::vector<std::string>& args,
                                           std::vector<std::string> env,
                                           const std::vector<std::string>& launcher) {
    // Through a shell, so that standard error joins standard output.
    std::vector<std::string> shellArgs{"-c", "exec \"$0\" \"$@\" 2>&1"};
    shellArgs.insert(shellArgs.end(), launcher.begin(), launcher.end());
    shellArgs.push_back((folder / "FriioView").string());
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    env.push_back("QT_QPA_PLATFORM=offscreen");
    return std::make_unique<HelperProcess>("/bin/sh", shellArgs, env);
}

std::optional<PluginWindows> AwaitPluginWindows(HelperProcess& viewer) {
    const auto rest = viewer.Expect("CreatePluginWindow host=");
    const auto own = rest ? rest->find("own=") : std::string::npos;
    if (own == std::string::npos) return std::nullopt;
    PluginWindows windows;
    windows.host = static_cast<platform::HWND>(std::stoul(*rest));
    windows.own = static_cast<platform::HWND>(std::stoul(rest->substr(own + 4)));
    return windows;
}

std::optional<std::uint64_t> StreamBytes(HelperProcess& viewer, platform::HWND own,
                                         std::string* rest) {
    if (!platform::PostMessageW(own, kPluginStream, 0, 0)) return std::nullopt;
    const auto report = viewer.Expect("Stream bytes=");
    if (!report) return std::nullopt;
    if (rest != nullptr) *rest = *report;
    return std::stoull(*report);
}

}  // namespace test_support
