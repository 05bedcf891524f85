// Where the ring window goes: beside the clock, on the clock's monitor.
#pragma once

struct ScreenBox {
    int left, top, right, bottom;
};

struct ScreenSpot {
    int x, y;
};

// The top-left corner for a window of width x height that does not cover the
// clock: below it with their left edges in line where that fits the work
// area, else above it, else right of it, else left of it; `gap` pixels apart,
// and always within the area (its top-left corner first, for a window larger
// than the area).
ScreenSpot placeBeside(const ScreenBox& clock, const ScreenBox& area, int width, int height, int gap);
