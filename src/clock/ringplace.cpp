#include "clock/ringplace.h"

#include <algorithm>

ScreenSpot placeBeside(const ScreenBox& clock, const ScreenBox& area, int width, int height, int gap) {
    const auto inside = [&](int x, int y) {
        return ScreenSpot{std::max(area.left, std::min(x, area.right - width)),
                          std::max(area.top, std::min(y, area.bottom - height))};
    };
    if (clock.bottom + gap + height <= area.bottom)
        return inside(clock.left, clock.bottom + gap);
    if (clock.top - gap - height >= area.top)
        return inside(clock.left, clock.top - gap - height);
    if (clock.right + gap + width <= area.right)
        return inside(clock.right + gap, clock.top);
    return inside(clock.left - gap - width, clock.top);
}
