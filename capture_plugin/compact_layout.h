// Placement of the programme texts in the plug-in window's compact view, a resizable window
// that shows only the present and the following programme. Tall windows stack both texts; a low
// window (under 120 pixels) shows one of them, chosen with the "next programme" toggle, and
// pushes the other below the visible area.
#pragma once

namespace capture_plugin {

struct ControlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ControlRect&) const = default;
};

struct CompactLayout {
    ControlRect viewOnlyCheck;  // 5009
    ControlRect nextToggle;     // 5017, shown only in a low window
    bool showNextToggle = false;
    ControlRect presentLabel;    // 5011
    ControlRect presentEdit;     // 5002
    ControlRect followingLabel;  // 5012
    ControlRect followingEdit;   // 5010
};

// The layout for a client area of width x height; followingOnTop is the state of the toggle.
CompactLayout ComputeCompactLayout(int width, int height, bool followingOnTop);

}  // namespace capture_plugin
