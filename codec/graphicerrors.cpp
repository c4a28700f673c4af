#include "codec/graphicerrors.h"

#include <cstdio>
#include <utility>

namespace {

std::string CodecMessage(int code) {
    char text[48];
    std::snprintf(text, sizeof text, "JPEG エラー #%d", code);
    return text;
}

}  // namespace

EJPEG::EJPEG(int code, std::string reason, std::string libraryMessage)
    : EInvalidGraphic(CodecMessage(code)),
      code_(code),
      reason_(!reason.empty()           ? std::move(reason)
              : !libraryMessage.empty() ? libraryMessage
                                        : "damaged or not a JPEG file"),
      libraryMessage_(std::move(libraryMessage)) {}

EReadError::EReadError() : EStreamError("ストリームの読み込みエラー") {}

EWriteError::EWriteError() : EStreamError("ストリームの書き込みエラー") {}

EFOpenError::EFOpenError(const std::string& path)
    : EStreamError("ファイル " + path + " を開けません") {}

EFCreateError::EFCreateError(const std::string& path)
    : EStreamError("ファイル " + path + " を作成できません") {}
