#pragma once

#include <optional>
#include <string>

#include "cli/batchoptions.h"
#include "platform/filestatus.h"

// --update's record of what a thumbnail was made from, kept in the thumbnail
// itself (a JPEG comment, a PNG text chunk, ...): written with the file in one atomic step, so
// neither a crash nor another run writing at the same time can leave a stamp
// that does not belong to its picture, and no state file is shared.
class UpdateStamp {
public:
    explicit UpdateStamp(const Settings& settings);

    // The comment for a thumbnail of source, whose status was taken before it
    // was read: a source changed afterwards is remade by the next run.
    std::string textFor(const std::string& source, const FileStatus& status) const;

    // Whether output holds the comment that textFor() gives now.
    bool isUpToDate(const std::string& output, const std::string& source,
                    const FileStatus& status) const;

private:
    std::string settings_;  // a fingerprint of every setting that shapes the picture
};
