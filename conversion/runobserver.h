#pragma once

#include <string>

// What a run did with each queued file, for callers that report it (the batch
// command). The windows pass none: single files fail silently there.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void loadFailed(int index, const std::string& source, const std::string& reason) = 0;
    // The output may not be replaced (a queued file, a picture beside its source).
    virtual void writeRefused(int index, const std::string& source, const std::string& output,
                              const std::string& reason) = 0;
    virtual void written(int index, const std::string& source, const std::string& output) = 0;
};
