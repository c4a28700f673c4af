#include "platform/pathtext.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + a byte of 0x80 to 0xFF

bool IsEscape(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view s) {
    std::string bytes;
    for (size_t i = 0; i < s.size(); ++i) {
        const int high = i + 2 < s.size() && s[i] == '%' ? HexValue(s[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(s[i + 2]) : -1;
        if (low >= 0) {
            bytes += char(high << 4 | low);
            i += 2;
        } else {
            bytes += s[i];
        }
    }
    return bytes;
}

}  // namespace

size_t Utf8Sequence(std::string_view s, char32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    size_t length;
    char32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

QString PathText(std::string_view bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    while (!bytes.empty()) {
        char32_t code = 0;
        const size_t length = Utf8Sequence(bytes, code);
        if (length == 0) {
            text.append(QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[0]))));
            bytes.remove_prefix(1);
            continue;
        }
        if (code > 0xFFFF) {
            const char32_t rest = code - 0x10000;
            text.append(QChar(char16_t(0xD800 + (rest >> 10))));
            text.append(QChar(char16_t(0xDC00 + (rest & 0x3FF))));
        } else {
            text.append(QChar(char16_t(code)));
        }
        bytes.remove_prefix(length);
    }
    return text;
}

std::string PathBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    const auto put = [&](char32_t code) {
        if (code < 0x80) {
            bytes += char(code);
        } else if (code < 0x800) {
            bytes += char(0xC0 | code >> 6);
            bytes += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += char(0xE0 | code >> 12);
            bytes += char(0x80 | (code >> 6 & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        } else {
            bytes += char(0xF0 | code >> 18);
            bytes += char(0x80 | (code >> 12 & 0x3F));
            bytes += char(0x80 | (code >> 6 & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (IsEscape(c)) {
            bytes += char(c - kEscapeBase);
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            put(QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            put(0xFFFD);  // a lone surrogate that no path of ours holds
        } else {
            put(c);
        }
    }
    return bytes;
}

QString ShownText(const QString& text) {
    QString shown = text;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < shown.size() &&
            QChar::isLowSurrogate(shown[i + 1].unicode())) {
            ++i;
        } else if (QChar::isSurrogate(c)) {
            shown[i] = QChar::ReplacementCharacter;
        }
    }
    return shown;
}

std::vector<std::string> LocalPathsOfUriList(std::string_view list) {
    std::vector<std::string> paths;
    while (!list.empty()) {
        const size_t end = list.find('\n');
        std::string_view line = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        constexpr std::string_view kScheme = "file:";
        if (line.size() <= kScheme.size() || line.substr(0, kScheme.size()) != kScheme) continue;
        line.remove_prefix(kScheme.size());
        if (line.substr(0, 2) == "//") {
            // An authority: only this machine's ("" or "localhost") is local.
            line.remove_prefix(2);
            const size_t slash = line.find('/');
            if (slash == std::string_view::npos) continue;
            const std::string_view host = line.substr(0, slash);
            if (!host.empty() && host != "localhost") continue;
            line.remove_prefix(slash);
        }
        if (line.empty() || line.front() != '/') continue;
        paths.push_back(PercentDecoded(line));
    }
    return paths;
}
