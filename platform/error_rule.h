// The handlers' rule for failures: a step that fails is abandoned and the next
// step runs; a condition that cannot be evaluated counts as met, so the step it
// guards runs all the same. Nothing of a failure ever reaches the user from here;
// the switch judges its outcome afterwards by looking at the files.
#pragma once

#include <exception>

namespace platform {

template <class Step>
void RunStep(Step&& step) noexcept {
    try {
        step();
    } catch (const std::exception&) {
        // Abandoned; the caller goes on with its next step.
    }
}

template <class Condition>
bool ConditionHolds(Condition&& condition) noexcept {
    try {
        return condition();
    } catch (const std::exception&) {
        return true;
    }
}

}  // namespace platform
