// Pixel sizes in this program are given for a 96-DPI screen (100 %). They are
// stored that way and scaled to the screen's DPI only where they are used, so
// db.dat means the same on every machine.
#pragma once

constexpr int kBaseDpi = 96;

// pixels (96-DPI units) at dpi, rounded to the nearest pixel, halves away
// from zero so that a negative font height scales like a positive one. A
// dpi of 0 or less (unknown) leaves the value as it is.
int scalePixels(int pixels, int dpi);
