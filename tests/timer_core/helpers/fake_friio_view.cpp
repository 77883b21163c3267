// A viewer stand-in for the viewer-control tests. Copied into a folder of its own as "FriioView",
// it does what the first line of "fake_mode" beside it says:
//   args        writes its working folder and arguments, one per line, to "args.txt" and ends
//   stubborn    opens a main window titled "Friio HDTV Player", writes every message it gets to
//               "messages.txt" ("0x<hex>" per line) and ignores them, the close request included;
//               it ends by itself only after 120 s of clock time
// Files appear whole (written beside and renamed), so a test that sees one can read it.
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/utf8.h"
#include "platform/window_messages.h"
#include "shared/friio_view_window.h"

namespace {

namespace fs = std::filesystem;

constexpr platform::UINT kLifetimeMs = 120000;

fs::path Folder() {
    return fs::path(platform::ToNativePath(platform::HostExecutablePath())).parent_path();
}

void WriteWhole(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.string() + ".tmp";
    std::ofstream(temporary, std::ios::binary | std::ios::trunc) << text;
    fs::rename(temporary, path);
}

class StubbornWindow : public platform::WindowTarget {
  public:
    StubbornWindow()
        : hwnd_(platform::CreateWindowHandle(
              this, platform::Utf8ToWide(std::string(shared::kFriioViewWindowTitle)), 0, true)),
          log_(Folder() / "messages.txt", std::ios::app) {
        platform::SetTimer(hwnd_, 1, kLifetimeMs);
    }
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM,
                                 platform::LPARAM) override {
        if (message == platform::WM_TIMER) platform::PostQuitMessage(0);
        char line[16];
        std::snprintf(line, sizeof line, "0x%x\n", message);
        log_ << line << std::flush;
        return 0;
    }

  private:
    platform::HWND hwnd_;
    std::ofstream log_;
};

int Stubborn() {
    StubbornWindow window;
    platform::MSG msg;
    while (platform::GetMessageW(&msg, 0, 0, 0) > 0)
        platform::DispatchMessageW(&msg);
    return 0;
}

int WriteArguments(int argc, char** argv) {
    std::string text = fs::current_path().string() + "\n";
    for (int i = 1; i < argc; ++i)
        text += std::string(argv[i]) + "\n";
    WriteWhole(Folder() / "args.txt", text);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode;
    std::getline(std::ifstream(Folder() / "fake_mode"), mode);
    if (mode == "args") return WriteArguments(argc, argv);
    if (mode == "stubborn") return Stubborn();
    return 2;
}
