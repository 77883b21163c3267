#include "capture_plugin/compact_layout.h"

#include <algorithm>

namespace capture_plugin {

namespace {

constexpr ControlRect kNextToggle{100, 1, 90, 14};

void LayoutTall(CompactLayout& layout, int w, int h) {
    layout.presentLabel = {1, 1, 84, 14};
    if (h >= 240) {
        const int half = h / 2;
        layout.presentEdit = {1, 19, w - 2, half - 20};
        layout.followingLabel = {1, half + 3, 72, 14};
        layout.followingEdit = {1, half + 21, w - 2, half - 22};
    } else {
        h = std::max(h, 180);
        layout.presentEdit = {1, 19, w - 2, 100};
        layout.followingLabel = {1, 123, 72, 14};
        layout.followingEdit = {1, 141, w - 2, h - 142};
    }
}

// One text fills the window; the other pair lies below it, out of sight.
void LayoutLow(CompactLayout& layout, int w, int h, bool followingOnTop) {
    h = std::max(h, 63);
    layout.showNextToggle = true;
    ControlRect& topLabel = followingOnTop ? layout.followingLabel : layout.presentLabel;
    ControlRect& topEdit = followingOnTop ? layout.followingEdit : layout.presentEdit;
    ControlRect& lowLabel = followingOnTop ? layout.presentLabel : layout.followingLabel;
    ControlRect& lowEdit = followingOnTop ? layout.presentEdit : layout.followingEdit;
    topLabel = {1, 1, followingOnTop ? 72 : 84, 14};
    topEdit = {1, 19, w - 2, h - 20};
    lowLabel = {1, 123, followingOnTop ? 84 : 72, 14};
    lowEdit = {1, 141, w - 2, h / 2 - 20};
}

}  // namespace

CompactLayout ComputeCompactLayout(int width, int height, bool followingOnTop) {
    CompactLayout layout;
    layout.viewOnlyCheck = {std::max(width, 315) - 121, 1, 120, 14};
    layout.nextToggle = kNextToggle;
    if (height >= 120) {
        LayoutTall(layout, width, height);
    } else {
        LayoutLow(layout, width, height, followingOnTop);
    }
    return layout;
}

}  // namespace capture_plugin
