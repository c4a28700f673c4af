#pragma once

#include <string>

#include "codec/graphicerrors.h"

class RunHost;
class TBitmap;
struct RunState;

// The file layer's "ファイル %s を作成できません"; reason() says what the system
// refused, for callers that report more than the message.
class ThumbnailCreateError : public EFCreateError {
public:
    ThumbnailCreateError(const std::string& path, std::string reason)
        : EFCreateError(path), reason_(std::move(reason)) {}
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

// Writes the bitmap to path as a BMP file (".bmp") or a JPEG file (".jpg",
// ".jpeg", with the host's quality, progressive and optimise settings read
// now, and comment, when not empty, as a COM segment), or in the host's
// outputFormat() when path has its extension; any other extension writes
// nothing. With the host's keep-date box checked, a written
// file takes the state's SourceFileAge as its modification time, silently left
// out when that is not a valid date. The file appears complete or not at all:
// on failure ThumbnailCreateError is thrown and what was there stays as it was.
void WriteThumbnail(const TBitmap& bitmap, const std::string& path, const RunState& state,
                    RunHost& host, const std::string& comment = {});
