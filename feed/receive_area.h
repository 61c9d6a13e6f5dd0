#pragma once

#include <optional>

// How the received-data group box (fraReceive) and its list follow the window, all in twips.
struct ReceiveArea {
    int frameWidth;
    int frameHeight;
    int listWidth;   // also the width of the list's one column
    int listHeight;
};

// The window's outer size as the rule reads it: its client area (below the
// menu bar) plus the borders, title and menu bar that the designed sizes
// assume, whatever decorations the window manager draws. The designed client
// area of 9420 by 7605 thus gives the designed frame of 8655 by 3615.
inline constexpr int kDesignedNonClientWidth = 120;
inline constexpr int kDesignedNonClientHeight = 1125;

// The sizes for a window of this outer width and height (border, title and
// menu bar included); none when the window is minimized or too small
// (1000 twips wide or less, 5200 high or less), which leaves everything as it
// is. Just above those limits the list would come out negative; it stays at 0.
std::optional<ReceiveArea> receiveAreaFor(int outerWidth, int outerHeight);
