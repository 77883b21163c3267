// The other process of the dialog tests. Usage:
//   ui_test_helper post <hwnd> <message> <wParam> <lParam>   posts once, prints "posted <result>"
//   ui_test_helper window <title>   registers a window so titled, prints "hwnd <n>", and runs a
//                                   message loop until WM_QUIT reaches it; then prints "quit"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/utf8.h"
#include "platform/window_messages.h"

namespace {

using namespace platform;

class SilentWindow : public WindowTarget {
  public:
    LRESULT WindowProc(UINT, WPARAM, LPARAM) override { return 0; }
};

int Post(char** argv) {
    const BOOL posted = PostMessageW(static_cast<HWND>(std::strtoul(argv[0], nullptr, 10)),
                                     static_cast<UINT>(std::strtoul(argv[1], nullptr, 10)),
                                     static_cast<WPARAM>(std::strtoull(argv[2], nullptr, 10)),
                                     static_cast<LPARAM>(std::strtoll(argv[3], nullptr, 10)));
    std::printf("posted %d\n", posted);
    return posted ? 0 : 1;
}

int HoldWindow(const char* title) {
    SilentWindow target;
    const HWND hwnd = CreateWindowHandle(&target, Utf8ToWide(title), 0, true);
    std::printf("hwnd %u\n", static_cast<unsigned>(hwnd));
    std::fflush(stdout);
    if (hwnd == 0) return 1;
    MSG msg;
    while (GetMessageW(&msg, 0, 0, 0))
        DispatchMessageW(&msg);
    DestroyWindowHandle(hwnd);
    std::printf("quit\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "post") == 0) return Post(argv + 2);
    if (argc == 3 && std::strcmp(argv[1], "window") == 0) return HoldWindow(argv[2]);
    std::fprintf(stderr,
                 "usage: ui_test_helper post <hwnd> <msg> <wParam> <lParam> | window <title>\n");
    return 2;
}
