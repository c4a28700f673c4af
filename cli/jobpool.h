#pragma once

#include <cstddef>
#include <functional>

// Calls work(i) for each i below count, from up to jobs threads at once (this
// one among them), each taking the next i as it is free. A process limit may
// refuse threads: the work then goes on with those it has.
void RunJobs(size_t count, size_t jobs, const std::function<void(size_t)>& work);
