#include "viewer/plugin_set.h"

#include <QDir>
#include <cstdio>

#include "platform/dynamic_library.h"
#include "platform/utf8.h"

namespace viewer {
namespace {

void Complain(const QString& file, const std::wstring& why) {
    std::fprintf(stderr, "FriioView: %s: %s; skipped\n", file.toUtf8().constData(),
                 platform::WideToUtf8(why).c_str());
}

}  // namespace

PluginSet::PluginSet() = default;

PluginSet::~PluginSet() {
    Unload();
}

void PluginSet::LoadFolder(const std::wstring& folder) {
    const QDir dir(QString::fromStdString(platform::WideToUtf8(folder)));
    for (const QString& name : dir.entryList({"*.so"}, QDir::Files, QDir::Name)) {
        // Loaded and unloaded by this code, not by Qt: the library's constructors and
        // destructors (which stop the plug-in's threads) then run in code ThreadSanitizer sees.
        std::wstring error;
        auto library = platform::DynamicLibrary::Load(
            platform::Utf8ToWide(dir.filePath(name).toStdString()), &error);
        if (!library) {
            Complain(name, error);
            continue;
        }
        auto getIface = reinterpret_cast<GetIface2Function>(library->Symbol(kGetIface2Symbol));
        if (getIface == nullptr) {
            Complain(name, L"no GetIface2");
            continue;
        }
        IDTVPlugin* plugin = nullptr;
        if (getIface(0, &plugin) == 0 || plugin == nullptr) {
            Complain(name, L"GetIface2 gave no plug-in");
            library->KeepLoaded();  // it may own half a plug-in
            continue;
        }
        plugins_.push_back({std::move(library), plugin, false});
    }
}

void PluginSet::Start(PluginHost* host, platform::HWND window) {
    for (Loaded& p : plugins_) {
        if (p.plugin->Init(host, kDtvSdkVersion) != 1) continue;
        p.started = true;
        p.plugin->CreatePluginWindow(window);
    }
}

void PluginSet::OnStreamData(const std::uint8_t* data, std::size_t size) {
    for (Loaded& p : plugins_) {
        if (p.started) p.plugin->OnStreamData(data, static_cast<platform::DWORD>(size));
    }
}

void PluginSet::OnChannelChanged(std::uint32_t channel, std::uint32_t service) {
    for (Loaded& p : plugins_) {
        if (p.started) p.plugin->OnChannelChanged(channel, service);
    }
}

std::wstring PluginSet::GetRecFileName() {
    std::vector<wchar_t> buffer(kRecFileNameBufferChars, L'\0');
    for (Loaded& p : plugins_) {
        if (p.started) p.plugin->GetRecFileName(buffer.data(), kRecFileNameBufferChars);
    }
    buffer.back() = L'\0';
    return buffer.data();
}

void PluginSet::Unload() {
    while (!plugins_.empty()) {
        plugins_.pop_back();  // unloads the library
    }
}

}  // namespace viewer
