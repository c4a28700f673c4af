#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/pictureformat.h"

class TBitmap;

// The JPEG row's parts. Large files are decoded at 1/2, 1/4 or 1/8 of their
// size (with draft, at the smallest scale still twice the thumbnail).
bool IsJpegStart(std::string_view head);
bool CheckJpegStart(const QByteArray& head, int64_t fileSize, std::string& reason);
bool DecodeJpegPicture(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                       std::string& reason);
bool EncodeJpegPicture(const TBitmap& bitmap, const EncodeOptions& options, QByteArray& bytes,
                       std::string& reason);
