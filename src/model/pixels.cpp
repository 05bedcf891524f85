#include "model/pixels.h"

#include <cstdint>

int scalePixels(int pixels, int dpi) {
    if (dpi <= 0)
        return pixels;
    const int64_t magnitude = (pixels < 0 ? -int64_t{pixels} : int64_t{pixels}) * dpi;
    const int64_t rounded = (2 * magnitude + kBaseDpi) / (2 * kBaseDpi);
    return static_cast<int>(pixels < 0 ? -rounded : rounded);
}
