#pragma once

#include <atomic>
#include <functional>

#include "InkChoice.h"

// Runs work(i) for every i below count on control.threads threads, the
// caller's among them, handing out indices chunk at a time; each result goes
// to its own place, so the thread count changes nothing but the speed.
// Progress (weight units per index, added to done, out of total) is reported
// from the caller's thread only. An error on any thread stops the others and
// is raised here. Returns false when the cancel flag was set.
bool Run_Search_Parallel(int count, int weight, const Ink_Search_Control& control,
                         std::atomic<int>& done, int total, const std::function<void(int)>& work,
                         int chunk = 32);
