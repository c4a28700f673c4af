#include "cli/jsonreport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "platform/pathtext.h"

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    json.reserve(text.size() + 2);
    char escape[8];
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        char32_t code = 0;
        const size_t length = Utf8Sequence(text.substr(i), code);
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\udc%02x", c);
            json += escape;
            ++i;
        } else if (c == '"' || c == '\\') {
            json += '\\';
            json += char(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
            ++i;
        } else {
            json.append(text.substr(i, length));
            i += length;
        }
    }
    return json + "\"";
}

bool JsonReport::open(const std::string& path, std::string& reason) {
    if (path == kStandardOutput) {
        out_ = &std::cout;
        return true;
    }
    file_.open(path, std::ios::binary | std::ios::trunc);
    if (!file_) {
        reason = std::strerror(errno);
        return false;
    }
    out_ = &file_;
    return true;
}

void JsonReport::write(const Line& line) {
    if (out_ == nullptr) return;
    std::string text = "{\"source\":" + JsonString(line.source);
    text += ",\"output\":" + JsonString(line.output);
    text += ",\"status\":" + JsonString(line.status);
    text += ",\"reason\":" + JsonString(line.reason);
    text += ",\"ms\":" + std::to_string(line.milliseconds) + "}\n";
    std::lock_guard lock(mutex_);
    *out_ << text;
}

bool JsonReport::close() {
    if (out_ == nullptr) return true;
    out_->flush();
    const bool written = !out_->fail();
    out_ = nullptr;
    if (file_.is_open()) file_.close();
    return written && !file_.fail();
}
