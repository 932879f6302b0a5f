#pragma once

#include <functional>

// Event-loop helpers of the window benchmarks.
class BenchEvents {
public:
    // Runs a real event loop until `condition` holds; false after `timeoutMs`.
    // Waiting costs no processor time.
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs);
    // A benchmark has nobody to answer a message box: each one is reported
    // under `program` and closed with No, so that the run fails visibly
    // instead of waiting.
    static void closeUnexpectedBoxes(const char* program);
};
