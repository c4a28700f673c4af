#include "cli/batchusage.h"

#include <string_view>

#include "cli/batchoptiontable.h"
#include "codec/pictureformat.h"
#include "platform/wordlist.h"

namespace {

constexpr size_t kHelpColumn = 24;

void Replace(std::string& text, std::string_view from, const std::string& to) {
    if (const size_t at = text.find(from); at != std::string::npos)
        text.replace(at, from.size(), to);
}

// Lines broken at blanks to end before column 80, each after the first
// indented to column.
std::string Wrapped(const std::string& text, size_t column) {
    constexpr size_t kWidth = 79;
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        while (column + line.size() > kWidth) {
            const size_t blank = line.rfind(' ', kWidth - column);
            if (blank == 0 || blank == std::string_view::npos) break;  // a word too long
            out.append(line.substr(0, blank)).append("\n").append(column, ' ');
            line.remove_prefix(blank + 1);
        }
        out.append(line);
        if (end < text.size()) out.append("\n").append(column, ' ');
        start = end + 1;
    }
    return out;
}

// "  -s, --size N          longer side ...", the help's lines below it indented.
std::string OptionLines(const BatchOption& o, const std::string& settingsFile) {
    std::string head = o.shortName != 0 ? std::string("  -") + o.shortName + ", " : "      ";
    const std::string on = "--" + std::string(o.longName);
    const std::string off = "--no-" + std::string(o.longName);
    head += o.helpNames == HelpNames::On    ? on
            : o.helpNames == HelpNames::Off ? off
                                            : on + ", " + off;
    if (!o.valueName.empty()) head.append(" ").append(o.valueName);
    head += head.size() < kHelpColumn ? std::string(kHelpColumn - head.size(), ' ')
                                      : "\n" + std::string(kHelpColumn, ' ');
    std::string help(o.help);
    Replace(help, "{range}", std::to_string(o.range.low) + " to " + std::to_string(o.range.high));
    Replace(help, "{extensions}", WordList(PictureExtensions(), ", "));
    // After the wrapping: a long path stays on its line.
    help = Wrapped(help, kHelpColumn);
    Replace(help, "{settings}", settingsFile);
    return head + help + "\n";
}

}  // namespace

std::string BatchUsage(const std::string& settingsFile) {
    std::string text =
        std::string("Usage: thumbrix-batch [options] FILE...\n") +
        Wrapped("Converts each FILE (" + PictureFormatWords() +
                    ", known by its content) into a thumbnail (JPEG unless --format says "
                    "otherwise) in the destination folder, named prefix + name + suffix, as the "
                    "Thumbrix window does.",
                0) +
        "\n";
    constexpr const char* kGroupTitles[] = {"Files:", "Thumbnails:", "Runs:"};
    std::optional<OptionGroup> group;
    for (const BatchOption& option : BatchOptionTable()) {
        if (option.group != group) {
            group = option.group;
            text.append("\n").append(kGroupTitles[static_cast<int>(option.group)]).append("\n");
        }
        text += OptionLines(option, settingsFile);
    }
    return text +
           "\n"
           "Every on/off option has a --no- form (--no-progressive, ...), which also\n"
           "wins over the settings file.\n"
           "\n"
           "Exit status: 0 all converted or up to date, 1 some refused or failed, or two\n"
           "sources making one thumbnail, 2 usage error or missing destination.\n";
}
