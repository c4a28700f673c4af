#pragma once

#include "conversion/runhost.h"
#include "conversion/settings.h"

// A run host that answers every setting from a Settings value: the batch
// command's and the tests'.
class SettingsHost : public RunHost {
public:
    int thumbnailSize() override { return values().size; }
    int jpegQuality() override { return values().quality; }
    bool bestQuality() override { return values().bestQuality; }
    bool smoothing() override { return values().smoothing; }
    bool progressive() override { return values().progressive; }
    bool keepDate() override { return values().keepDate; }
    bool autoOrient() override { return values().autoOrient; }
    bool toSrgb() override { return values().toSrgb; }
    std::string prefix() override { return values().prefix; }
    std::string suffix() override { return values().suffix; }
    std::string destination() override { return values().destination; }
    bool optimizeCoding() override { return values().optimize; }
    bool draftDecode() override { return values().draft; }
    const PictureFormat* outputFormat() override { return values().format; }
    bool enlarge() override { return values().enlarge; }
    uint32_t background() override { return values().background; }

protected:
    virtual const Settings& values() const = 0;
};
