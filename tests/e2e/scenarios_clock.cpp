// The clock window: face, size, tooltip, transparency, position and drag.
#include <cstring>
#include <string>

#include "clock/clocktext.h"
#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

// Installs the program with these settings and starts it, at a chosen time
// when one is given.
void startWith(Session& s, const char* name, const ClockSettings& settings, const char* localTime = nullptr) {
    prepare(s, name, settings);
    launch(s, localTime);
}

SIZE windowSize(HWND h) {
    const RECT r = rectOf(h);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void layered(HWND h, COLORREF* key, BYTE* alpha, DWORD* flags) {
    *key = 0;
    *alpha = 0;
    *flags = 0;
    GetLayeredWindowAttributes(h, key, alpha, flags);
}

}  // namespace

E2E_SCENARIO(clock_face_at_a_chosen_time) {
    ClockSettings s = defaultSettings();
    s.hour12 = 1;
    std::strcpy(s.amMark, "上午");
    Session run;
    startWith(run, "face_12h", s, "2026-12-07 00:05:05");
    // The fake clock starts at 00:05:05 and runs on in real time.
    const std::string text = itemText(run.clock, 1000);
    E2E_CHECK_MSG(text.rfind("12:05:0", 0) == 0 && text.size() == 12 && text.substr(8) == "上午",
                  "12-hour face shows '" + text + "'");
    E2E_CHECK(waitFor([&] { return itemText(run.clock, 1000) != text; }, 2500));
    screenshot("clock-12h", run.clock);
}

E2E_SCENARIO(clock_size_follows_font_and_marks) {
    SIZE sizes[3];
    const struct {
        int fontSize;
        const char* am;
        const char* pm;
    } cases[3] = {{24, "am", "pm"}, {48, "am", "pm"}, {24, "", ""}};
    for (int i = 0; i < 3; ++i) {
        ClockSettings s = defaultSettings();
        s.fontSize = static_cast<int8_t>(cases[i].fontSize);
        std::strcpy(s.amMark, cases[i].am);
        std::strcpy(s.pmMark, cases[i].pm);
        Session run;
        startWith(run, "size", s);
        sizes[i] = windowSize(run.clock);
        if (i == 1)
            screenshot("clock-24h", run.clock);
        // The static fills the window.
        const RECT text = rectOf(GetDlgItem(run.clock, 1000));
        E2E_CHECK(text.right - text.left == sizes[i].cx && text.bottom - text.top == sizes[i].cy);
        PostMessageA(run.clock, WM_CLOSE, 0, 0);
        E2E_CHECK(run.program.waitExit(10000));
    }
    E2E_CHECK(sizes[0].cy >= 20 && sizes[0].cy < 40);
    E2E_CHECK(sizes[1].cy > sizes[0].cy * 3 / 2 && sizes[1].cx > sizes[0].cx * 3 / 2);
    E2E_CHECK_MSG(sizes[2].cx < sizes[0].cx, "without marks the clock is no narrower");
}

E2E_SCENARIO(tooltip_shows_lunar_date) {
    const struct {
        const char* time;
        const char* expected;
    } days[] = {
        {"2020-02-04 10:00:00", "2020年2月4日 庚子(鼠)年正月十一 立春 星期二"},
        {"2023-06-22 10:00:00", "2023年6月22日 癸卯(兔)年五月初五 星期四"},
    };
    for (const auto& day : days) {
        Session run;
        startWith(run, "tooltip", defaultSettings(), day.time);
        HWND tip = nullptr;
        std::string text;
        const bool shown = waitFor(
            [&] {
                auto tips = windowsOfClass(run.program.pid(), "tooltips_class32");
                tip = tips.empty() ? nullptr : tips[0];
                text = tip ? tooltipText(tip, run.clock, 0) : "";
                return text == day.expected;
            },
            3000);
        E2E_CHECK_MSG(shown, std::string("tooltip reads '") + text + "'");
        PostMessageA(run.clock, WM_CLOSE, 0, 0);
        E2E_CHECK(run.program.waitExit(10000));
    }

    // The tooltip is handed a text only when it reads differently: one put
    // there from outside stays while the date is the same, and gives way to
    // the new date at midnight.
    Session late;
    startWith(late, "tooltip_midnight", defaultSettings(), "2020-02-03 23:59:48");
    HWND tip = nullptr;
    E2E_CHECK(waitFor(
        [&] {
            auto tips = windowsOfClass(late.program.pid(), "tooltips_class32");
            tip = tips.empty() ? nullptr : tips[0];
            return tip && tooltipText(tip, late.clock, 0).rfind("2020年2月3日 ", 0) == 0;
        },
        3000));
    setTooltipText(tip, late.clock, 0, "stale");
    sleepWall(2500);  // still within the day: the face must read 23:59:5x
    E2E_CHECK(itemText(late.clock, 1000).rfind("23:59:5", 0) == 0);
    E2E_CHECK_MSG(tooltipText(tip, late.clock, 0) == "stale", "the tooltip was set again within the day");
    std::string next;
    E2E_CHECK_MSG(waitFor([&] { return (next = tooltipText(tip, late.clock, 0)) ==
                                       "2020年2月4日 庚子(鼠)年正月十一 立春 星期二"; },
                          12000),
                  "after midnight the tooltip reads '" + next + "'");
}

E2E_SCENARIO(transparency_and_hover) {
    ClockSettings s = defaultSettings();
    s.alphaLevel = 10;
    s.posX = 400;
    s.posY = 300;
    mouseMoveTo(5, 5);
    Session run;
    startWith(run, "alpha", s);
    COLORREF key;
    BYTE alpha;
    DWORD flags;
    E2E_CHECK(GetWindowLongA(run.clock, GWL_EXSTYLE) & WS_EX_LAYERED);
    E2E_CHECK_MSG(waitFor([&] { layered(run.clock, &key, &alpha, &flags); return alpha == 15 && flags == LWA_ALPHA; },
                          2000, "alpha 15"),
                  "alpha " + std::to_string(alpha));

    const RECT r = rectOf(run.clock);
    mouseMoveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    mouseMoveTo((r.left + r.right) / 2 + 1, (r.top + r.bottom) / 2);
    E2E_CHECK_MSG(waitFor([&] { layered(run.clock, &key, &alpha, &flags); return alpha == 255; }, 3000),
                  "not opaque under the mouse: alpha " + std::to_string(alpha) + " flags " +
                      std::to_string(flags));
    mouseMoveTo(5, 5);
    E2E_CHECK_MSG(waitFor([&] { layered(run.clock, &key, &alpha, &flags); return alpha == 15; }, 2000),
                  "not transparent again after the mouse left");
    PostMessageA(run.clock, WM_CLOSE, 0, 0);
    E2E_CHECK(run.program.waitExit(10000));

    // Full transparency: the background colour becomes the colour key.
    s.fullTransparent = 1;
    s.backColor = 0x000000;
    Session keyed;
    startWith(keyed, "colour_key", s);
    E2E_CHECK(waitFor([&] { layered(keyed.clock, &key, &alpha, &flags); return flags == LWA_COLORKEY && key == 0x000000; },
                      2000, "the black colour key"));
    screenshot("clock-transparent", keyed.clock);
}

E2E_SCENARIO(position_clamped_and_dragged) {
    ClockSettings s = defaultSettings();
    s.posX = 5000;
    s.posY = 4000;
    Session run;
    startWith(run, "clamp", s);
    const int screenW = screenWidth();
    const int screenH = screenHeight();
    RECT r = rectOf(run.clock);
    // Pulled back so that the template-sized window ends at the screen's edge.
    E2E_CHECK_MSG(r.left < screenW - 20 && r.left > screenW - 200 && r.top < screenH - 5 &&
                      r.top > screenH - 100,
                  "clock at " + std::to_string(r.left) + "," + std::to_string(r.top));

    // A left drag from the middle of the face moves the window.
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    const int toLeft = r.left - 500, toTop = r.top - 300;
    mouseDrag(x, y, x - 500, y - 300);
    E2E_CHECK_MSG(waitFor([&] { r = rectOf(run.clock); return r.left == toLeft && r.top == toTop; }, 3000),
                  "after the drag the clock is at " + std::to_string(r.left) + "," + std::to_string(r.top));
    exitProgram(run);
    const ClockSettings back = readDataFile(run.folder).settings;
    E2E_CHECK_MSG(back.posX == toLeft && back.posY == toTop,
                  "saved " + std::to_string(back.posX) + "," + std::to_string(back.posY));
}
