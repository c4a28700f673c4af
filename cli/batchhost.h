#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "cli/batchoptions.h"
#include "conversion/settingshost.h"

// A run host over fixed settings, without a bar or an event loop, writing
// into one folder (the destination, or a mirrored folder under it). Each job
// has its own, so jobs share nothing.
class BatchHost final : public SettingsHost {
public:
    BatchHost(const Settings& settings, std::string folder)
        : settings_(settings), folder_(std::move(folder)) {}

    std::string destination() override { return folder_; }
    bool everyFormat() override { return true; }
    // The planned thumbnail, which every source of the host's group makes.
    void setOutput(std::string output) { output_ = std::move(output); }
    std::string outputPath(const std::string& source) override {
        return output_.empty() ? RunHost::outputPath(source) : output_;
    }
    void setProgress(int) override {}
    void pump() override {}
    void showMessage(const std::string& text) override { messages_.push_back(text); }

    // --update's stamps, by source.
    void setComment(const std::string& source, std::string comment) {
        comments_[source] = std::move(comment);
    }
    std::string thumbnailComment(const std::string& source) override {
        const auto it = comments_.find(source);
        return it == comments_.end() ? std::string() : it->second;
    }

    const std::vector<std::string>& messages() const { return messages_; }

private:
    const Settings& values() const override { return settings_; }

    const Settings& settings_;
    std::string folder_;
    std::string output_;
    std::unordered_map<std::string, std::string> comments_;
    std::vector<std::string> messages_;
};
