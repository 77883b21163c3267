// A plug-in for the viewer tests: writes every call it receives, one line each, to standard
// output (the viewer's), and on messages to its window makes the host calls a test asks for:
//   WM_USER+1 SetChannel(wParam)   WM_USER+2 SetService(wParam)   WM_USER+3 CloseViewer()
//   WM_USER+4 GetStatus            WM_USER+5 report the stream received so far
// Like a real plug-in it shows a window of its own that the user cannot close.
// Environment: VIEWER_TEST_PLUGIN_REFUSE makes Init refuse; VIEWER_TEST_PLUGIN_RECNAME is the
// answer to GetRecFileName (UTF-8; absent: the buffer is left alone).
#include <unistd.h>

#include <QCloseEvent>
#include <QWidget>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/utf8.h"
#include "platform/window_messages.h"
#include "shared/dtv_plugin.h"

namespace {

using platform::DWORD;
using platform::HWND;

void Log(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t n = ::write(1, text.data(), text.size());
}

std::string Status(const PluginHostStatus& s) {
    return "card=" + std::to_string(s.cardState) + " errors=" + std::to_string(s.errorCount) +
           " recording=" + std::to_string(s.recording) +
           " seconds=" + std::to_string(s.recordSeconds);
}

class UnclosableWindow : public QWidget {
  protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

class RecordingPlugin : public IDTVPlugin, public platform::WindowTarget {
  public:
    ~RecordingPlugin() override {
        if (window_ != 0) platform::DestroyWindowHandle(window_);
    }

    int Init(PluginHost* host, DWORD sdkVersion) override {
        host_ = host;
        PluginHostStatus status;
        host->GetStatus(&status);
        Log("Init " + std::to_string(sdkVersion) + " " + Status(status));
        return std::getenv("VIEWER_TEST_PLUGIN_REFUSE") != nullptr ? 0 : 1;
    }

    int CreatePluginWindow(HWND hostWindow) override {
        window_ = platform::CreateWindowHandle(this, L"ViewerTestPlugin", hostWindow, false);
        Log("CreatePluginWindow host=" + std::to_string(hostWindow) +
            " own=" + std::to_string(window_));
        Log("TunerKind " + std::to_string(platform::SendMessageW(hostWindow, 0x101C, 0, 0)));
        widget_ = std::make_unique<UnclosableWindow>();
        widget_->show();
        return 1;
    }

    int OnStreamData(const platform::BYTE* data, DWORD size) override {
        bool whole = size % 188 == 0 && size > 0;
        for (DWORD i = 0; whole && i < size; i += 188)
            whole = data[i] == 0x47;
        if (!whole) ++badChunks_;
        // Counted before it is told: once the line is read, the count holds this chunk.
        bytes_ += size;
        if (chunks_++ == 0) Log("StreamData " + std::to_string(size));
        return 1;
    }

    int OnChannelChanged(DWORD channel, DWORD service) override {
        Log("OnChannelChanged " + std::to_string(channel) + " " + std::to_string(service));
        return 1;
    }

    int GetRecFileName(wchar_t* path, DWORD bufferChars) override {
        Log("GetRecFileName " + std::to_string(bufferChars));
        if (const char* name = std::getenv("VIEWER_TEST_PLUGIN_RECNAME")) {
            const std::wstring wide = platform::Utf8ToWide(name);
            std::wcsncpy(path, wide.c_str(), bufferChars - 1);
        }
        return 1;
    }

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM) override {
        const std::string arg = std::to_string(wParam);
        switch (message) {
            case platform::WM_USER + 1:
                Log("SetChannel " + arg + " -> " +
                    std::to_string(host_->SetChannel(static_cast<DWORD>(wParam))));
                break;
            case platform::WM_USER + 2:
                Log("SetService " + arg + " -> " +
                    std::to_string(host_->SetService(static_cast<platform::WORD>(wParam))));
                break;
            case platform::WM_USER + 3:
                Log("CloseViewer -> " + std::to_string(host_->CloseViewer()));
                break;
            case platform::WM_USER + 4: {
                PluginHostStatus status;
                host_->GetStatus(&status);
                Log("Status " + Status(status));
                break;
            }
            case platform::WM_USER + 5:
                Log("Stream bytes=" + std::to_string(bytes_.load()) +
                    " bad=" + std::to_string(badChunks_.load()));
                break;
            default:
                break;
        }
        return 0;
    }

  private:
    PluginHost* host_ = nullptr;
    HWND window_ = 0;
    std::unique_ptr<UnclosableWindow> widget_;
    std::atomic<std::uint64_t> bytes_{0};
    std::atomic<std::uint64_t> chunks_{0};
    std::atomic<std::uint64_t> badChunks_{0};
};

std::unique_ptr<RecordingPlugin> gPlugin;

// The library deletes its plug-in when it is unloaded.
struct Unloader {
    ~Unloader() {
        Log("Unload");
        gPlugin.reset();
    }
} gUnloader;

}  // namespace

extern "C" int GetIface2(DWORD, IDTVPlugin** plugin) {
    Log("GetIface2");
    gPlugin = std::make_unique<RecordingPlugin>();
    *plugin = gPlugin.get();
    return 1;
}
