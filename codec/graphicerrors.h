#pragma once

#include <stdexcept>
#include <string>

// Failures of graphic objects and of the file layer under them. what() is the
// message shown to the user, in UTF-8.

// A picture that cannot be read or written.
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A codec failure; Code() is the JPEG library's own message code (J_MESSAGE_CODE)
// and LibraryMessage() the library's own English text for it, with its
// parameters filled in (empty when not known). Reason() says what is wrong with
// the file for messages that name it: our own words where we refused it
// ("too many scans"), else the library's text.
class EJPEG : public EInvalidGraphic {
public:
    explicit EJPEG(int code, std::string reason = {}, std::string libraryMessage = {});
    int Code() const { return code_; }
    const std::string& Reason() const { return reason_; }
    const std::string& LibraryMessage() const { return libraryMessage_; }

private:
    int code_;
    std::string reason_;
    std::string libraryMessage_;
};

// An operation the graphic does not support, such as resizing a JPEG image.
class EInvalidGraphicOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown by a progress handler to stop the current decode or encode quietly.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "EAbort"; }
};

// File and stream layer.
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EReadError : public EStreamError {
public:
    EReadError();
};

class EWriteError : public EStreamError {
public:
    EWriteError();
};

class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& path);  // the file system's bytes
};

class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& path);  // the file system's bytes
};
