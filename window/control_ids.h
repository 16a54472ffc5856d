// Control identifiers of the settings window, read by its dialog resource and
// its code. Other programs (the end-to-end test driver) find the controls by
// these, so they never change. IDOK (1) and IDCANCEL (2) are left free: Esc
// sends IDCANCEL and Enter with no button focused IDOK, and both press nothing.
#pragma once

#define IDC_EXIT 100
#define IDC_BANNER 101
#define IDC_UP 102
#define IDC_DOWN 103
#define IDC_EXPLAIN 104
#define IDC_UP_ROW 105
#define IDC_DOWN_ROW 106

#ifndef RC_INVOKED
namespace window::id {

constexpr int cmdExit = IDC_EXIT;
constexpr int Picture1 = IDC_BANNER;
constexpr int cmdUp = IDC_UP;
constexpr int cmdDown = IDC_DOWN;
constexpr int lblExplain = IDC_EXPLAIN;
constexpr int lblUp = IDC_UP_ROW;
constexpr int lblDown = IDC_DOWN_ROW;

}  // namespace window::id
#endif
