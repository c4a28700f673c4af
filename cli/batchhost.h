#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "cli/batchoptions.h"
#include "conversion/runhost.h"

// A run host over fixed settings, without a bar or an event loop, writing
// into one folder (the destination, or a mirrored folder under it). Each job
// has its own, so jobs share nothing.
class BatchHost final : public RunHost {
public:
    BatchHost(const BatchSettings& settings, std::string folder)
        : settings_(settings), folder_(std::move(folder)) {}

    int thumbnailSize() override { return settings_.size; }
    int jpegQuality() override { return settings_.quality; }
    bool bestQuality() override { return settings_.bestQuality; }
    bool smoothing() override { return settings_.smoothing; }
    bool progressive() override { return settings_.progressive; }
    bool keepDate() override { return settings_.keepDate; }
    bool optimizeCoding() override { return settings_.optimize; }
    bool draftDecode() override { return settings_.draft; }
    bool everyFormat() override { return true; }
    bool autoOrient() override { return settings_.autoOrient; }
    bool toSrgb() override { return settings_.toSrgb; }
    std::string prefix() override { return settings_.prefix; }
    std::string suffix() override { return settings_.suffix; }
    std::string destination() override { return folder_; }
    bool enlarge() override { return settings_.enlarge; }
    const PictureFormat* outputFormat() override { return settings_.format; }
    uint32_t background() override { return settings_.background; }
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
    const BatchSettings& settings_;
    std::string folder_;
    std::string output_;
    std::unordered_map<std::string, std::string> comments_;
    std::vector<std::string> messages_;
};
