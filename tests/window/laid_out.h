// The window laid out at each DPI, worked out by hand from its twips table (a
// pixel is 1440 / DPI twips; halves round up): the layout tests check it after
// a DPI change, the end-to-end test in tovrel.exe at the display's DPI.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "window/control_ids.h"

namespace support {

inline constexpr int kLaidOutControls[7] = {
    window::id::lblExplain, window::id::lblUp,    window::id::cmdDown, window::id::lblDown,
    window::id::cmdUp,      window::id::Picture1, window::id::cmdExit};

struct LaidOut {
    int dpi;
    SIZE client;
    int fontHeight;  // 10.5 points
    RECT controls[7];
};

inline constexpr LaidOut kLaidOut[] = {
    {96,
     {452, 242},
     -14,
     {{24, 16, 385, 49},
      {24, 56, 265, 89},
      {296, 56, 393, 89},
      {24, 104, 265, 137},
      {296, 104, 393, 137},
      {24, 192, 145, 233},
      {296, 192, 393, 228}}},
    {120,
     {565, 303},
     -18,
     {{30, 20, 481, 61},
      {30, 70, 331, 111},
      {370, 70, 491, 111},
      {30, 130, 331, 171},
      {370, 130, 491, 171},
      {30, 240, 181, 291},
      {370, 240, 491, 285}}},
    {144,
     {678, 363},
     -21,
     {{36, 24, 578, 74},
      {36, 84, 398, 134},
      {444, 84, 590, 134},
      {36, 156, 398, 206},
      {444, 156, 590, 206},
      {36, 288, 218, 350},
      {444, 288, 590, 342}}},
    {192,
     {904, 484},
     -28,
     {{48, 32, 770, 98},
      {48, 112, 530, 178},
      {592, 112, 786, 178},
      {48, 208, 530, 274},
      {592, 208, 786, 274},
      {48, 384, 290, 466},
      {592, 384, 786, 456}}},
    // larger than the 1280 x 1024 screen
    {480,
     {2260, 1210},
     -70,
     {{120, 80, 1925, 245},
      {120, 280, 1325, 445},
      {1480, 280, 1965, 445},
      {120, 520, 1325, 685},
      {1480, 520, 1965, 685},
      {120, 960, 725, 1165},
      {1480, 960, 1965, 1140}}},
};

inline void PrintTo(const LaidOut& row, std::ostream* out) {
    *out << row.dpi << " DPI";
}

inline const LaidOut& LaidOutAt(int dpi) {
    for (const LaidOut& row : kLaidOut) {
        if (row.dpi == dpi) {
            return row;
        }
    }
    ADD_FAILURE() << "no layout worked out for " << dpi << " DPI";
    return kLaidOut[0];
}

// Checks `window`'s client size, within `slack` pixels, and where each control
// stands against the table's row for `expected.dpi`.
inline void ExpectLaidOut(HWND window, const LaidOut& expected, int slack = 0) {
    SCOPED_TRACE(std::to_string(expected.dpi) + " DPI");
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_NEAR(client.right, expected.client.cx, slack) << "client width";
    EXPECT_NEAR(client.bottom, expected.client.cy, slack) << "client height";
    for (int i = 0; i < 7; ++i) {
        RECT r{};
        GetWindowRect(GetDlgItem(window, kLaidOutControls[i]), &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const RECT& e = expected.controls[i];
        EXPECT_TRUE(EqualRect(&r, &e))
            << "control " << kLaidOutControls[i] << " at " << r.left << "," << r.top << "-"
            << r.right << "," << r.bottom << ", expected " << e.left << "," << e.top << "-"
            << e.right << "," << e.bottom;
    }
}

}  // namespace support
