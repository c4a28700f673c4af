#pragma once

#include <string>
#include <vector>

#include "cli/batchoptions.h"
#include "conversion/runhost.h"

// A run host over fixed settings, without a bar or an event loop. Each job
// has its own, so jobs share nothing.
class BatchHost final : public RunHost {
public:
    explicit BatchHost(const BatchSettings& settings) : settings_(settings) {}

    int thumbnailSize() override { return settings_.size; }
    int jpegQuality() override { return settings_.quality; }
    bool bestQuality() override { return settings_.bestQuality; }
    bool smoothing() override { return settings_.smoothing; }
    bool progressive() override { return settings_.progressive; }
    bool keepDate() override { return settings_.keepDate; }
    bool autoOrient() override { return settings_.autoOrient; }
    bool toSrgb() override { return settings_.toSrgb; }
    std::string prefix() override { return settings_.prefix; }
    std::string suffix() override { return settings_.suffix; }
    std::string destination() override { return settings_.destination; }
    void setProgress(int) override {}
    void pump() override {}
    void showMessage(const std::string& text) override { messages_.push_back(text); }

    const std::vector<std::string>& messages() const { return messages_; }

private:
    const BatchSettings& settings_;
    std::vector<std::string> messages_;
};
