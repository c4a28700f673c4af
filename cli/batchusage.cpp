#include "cli/batchusage.h"

#include "cli/batchoptiontable.h"

namespace {

constexpr size_t kHelpColumn = 24;

void Replace(std::string& text, std::string_view from, const std::string& to) {
    if (const size_t at = text.find(from); at != std::string::npos)
        text.replace(at, from.size(), to);
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
    Replace(help, "{settings}", settingsFile);
    for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
        help.insert(at + 1, kHelpColumn, ' ');
    return head + help + "\n";
}

}  // namespace

std::string BatchUsage(const std::string& settingsFile) {
    std::string text =
        "Usage: thumbrix-batch [options] FILE...\n"
        "Converts each FILE (BMP, JPEG, PNG, WebP, GIF or TIFF, known by its content)\n"
        "into a thumbnail (JPEG unless --format says otherwise) in the destination\n"
        "folder, named prefix + name + suffix, as the Thumbrix window does.\n";
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
