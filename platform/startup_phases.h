// Where start-up goes, phase by phase, for scripts/bench. In tovrel.exe a mark
// is nothing at all; the bench's timed build of the same sources (defining
// TOVREL_TIMED_START) notes the time at each mark and, once the window shows,
// writes them beside the exe (to "<exe>.phases.txt") for the bench to read.
#pragma once

namespace platform {

#ifdef TOVREL_TIMED_START
// The phase called `name` ends here; it began at the mark before.
void EndPhase(const char* name);
// Appends this run's marks, one line a run, to "<exe>.phases.txt".
void ReportPhases();
#else
inline void EndPhase(const char*) {}
inline void ReportPhases() {}
#endif

}  // namespace platform
