#include "cli/jsonreport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
size_t Utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t point = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        point = point << 6 | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
    if ((length == 3 && point < 0x800) || (length == 4 && point < 0x10000) ||
        (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF)
        return 0;
    return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    json.reserve(text.size() + 2);
    char escape[8];
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8Length(text, i);
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
