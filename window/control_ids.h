// Other programs (the end-to-end test driver) find the controls by these, so
// they never change. IDOK and IDCANCEL, which Esc and Enter with no button
// focused send, are left free to press nothing.
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

constexpr int cmdExit = IDC_EXIT, Picture1 = IDC_BANNER, cmdUp = IDC_UP, cmdDown = IDC_DOWN,
              lblExplain = IDC_EXPLAIN, lblUp = IDC_UP_ROW, lblDown = IDC_DOWN_ROW;

}  // namespace window::id
#endif
