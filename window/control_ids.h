// Control identifiers of the settings window. Other programs (the end-to-end
// test driver) find the controls by these, so they never change. IDOK (1) and
// IDCANCEL (2) are left free: Esc sends IDCANCEL, which must press nothing.
#pragma once

namespace window::id {

constexpr int cmdExit = 100;
constexpr int Picture1 = 101;
constexpr int cmdUp = 102;
constexpr int cmdDown = 103;
constexpr int lblExplain = 104;
constexpr int lblUp = 105;
constexpr int lblDown = 106;

}  // namespace window::id
