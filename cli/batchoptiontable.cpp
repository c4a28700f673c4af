#include "cli/batchoptiontable.h"

namespace {

using S = Settings;
using O = BatchOptions;
using K = OptionKind;
using Group = OptionGroup;

// The formats thumbrix-batch writes, by the names --format takes.
constexpr std::string_view kFormatNames[] = {"jpeg", "png", "webp", "avif"};

// In the order --help shows them.
const BatchOption kOptions[] = {
    {.group = Group::Files,
     .longName = "recursive",
     .shortName = 'r',
     .field = &O::recursive,
     .help = "walk FOLDER arguments for picture files ({extensions})\n"
             "(hidden ones, links to folders and the destination\n"
             "left out) and mirror their subfolders under the\n"
             "destination"},
    {.group = Group::Files,
     .longName = "base",
     .kind = K::Name,
     .field = &O::base,
     .valueName = "DIR",
     .help = "mirror every file's folder relative to DIR"},
    {.group = Group::Files,
     .longName = "files-from",
     .kind = K::List,
     .valueName = "FILE",
     .help = "read names from FILE, one a line ('-': standard input)"},
    {.group = Group::Files,
     .longName = "null",
     .shortName = '0',
     .field = &O::nullSeparated,
     .help = "names in those lists end with NUL, not a new line"},

    {.group = Group::Thumbnails,
     .longName = "dest",
     .shortName = 'd',
     .kind = K::Text,
     .field = &S::destination,
     .valueName = "DIR",
     .help = "destination folder (default: the settings file's,\n"
             "else the current folder)"},
    {.group = Group::Thumbnails,
     .longName = "size",
     .shortName = 's',
     .kind = K::Number,
     .field = &S::size,
     .range = {1, 4096},
     .valueName = "N",
     .help = "longer side of a thumbnail, {range} (default 32)"},
    {.group = Group::Thumbnails,
     .longName = "quality",
     .shortName = 'q',
     .kind = K::Number,
     .field = &S::quality,
     .range = Settings::kQualityRange,
     .valueName = "N",
     .help = "JPEG, WebP or AVIF quality, {range} (default 60)"},
    {.group = Group::Thumbnails,
     .longName = "format",
     .kind = K::Format,
     .field = &S::format,
     .choices = kFormatNames,
     .valueName = "NAME",
     .help = "jpeg, png, webp or avif (default jpeg); the thumbnail's\n"
             "extension follows; png, webp and avif keep\n"
             "transparency"},
    {.group = Group::Thumbnails,
     .longName = "output",
     .shortName = 'o',
     .kind = K::Output,
     .field = &S::output,
     .valueName = "FILE",
     .help = "write the single FILE's thumbnail exactly as FILE; its\n"
             "extension (.jpg, .jpeg, .png, .webp, .avif) picks the\n"
             "format"},
    {.group = Group::Thumbnails,
     .longName = "enlarge",
     .field = &S::enlarge,
     .help = "keep a picture smaller than the size at its own size",
     .helpNames = HelpNames::Off},
    {.group = Group::Thumbnails,
     .longName = "background",
     .kind = K::Colour,
     .field = &S::background,
     .valueName = "RRGGBB",
     .help = "colour under transparent pixels in a JPEG thumbnail\n"
             "(default ffffff, white)"},
    {.group = Group::Thumbnails,
     .longName = "progressive",
     .field = &S::progressive,
     .help = "write progressive JPEG files"},
    {.group = Group::Thumbnails,
     .longName = "prefix",
     .kind = K::Text,
     .field = &S::prefix,
     .valueName = "TEXT",
     .help = "put TEXT before each name"},
    {.group = Group::Thumbnails,
     .longName = "suffix",
     .kind = K::Text,
     .field = &S::suffix,
     .valueName = "TEXT",
     .help = "put TEXT after each name"},
    {.group = Group::Thumbnails,
     .longName = "keep-date",
     .field = &S::keepDate,
     .help = "give each thumbnail its source's modification time"},
    {.group = Group::Thumbnails,
     .longName = "fast-decode",
     .field = &S::bestQuality,
     .inverted = true,
     .help = "decode JPEG sources with the fast inverse DCT"},
    {.group = Group::Thumbnails,
     .longName = "smoothing",
     .field = &S::smoothing,
     .help = "block smoothing when decoding incomplete progressive files"},
    {.group = Group::Thumbnails,
     .longName = "auto-orient",
     .field = &S::autoOrient,
     .help = "turn JPEG photos upright by their EXIF Orientation, or\n"
             "not (default on, or the settings file's AutoOrient)",
     .helpNames = HelpNames::Both},
    {.group = Group::Thumbnails,
     .longName = "srgb",
     .field = &S::toSrgb,
     .help = "convert JPEG photos with an ICC profile to sRGB, or not\n"
             "(default on, or the settings file's ToSRGB)",
     .helpNames = HelpNames::Both},
    {.group = Group::Thumbnails,
     .longName = "optimize",
     .field = &S::optimize,
     .help = "optimised Huffman tables: same pixels, smaller files"},
    {.group = Group::Thumbnails,
     .longName = "draft",
     .field = &S::draft,
     .help = "decode JPEG and lossy WebP sources at the smallest\n"
             "scale still twice the thumbnail size, and take a HEIF\n"
             "file's embedded thumbnail of that size: faster,\n"
             "slightly different pixels"},
    {.group = Group::Thumbnails,
     .longName = "settings",
     .kind = K::SettingsFile,
     .valueName = "FILE",
     .help = "take the defaults from a Thumbrix settings file\n"
             "(without it: {settings}, if any)"},
    {.group = Group::Thumbnails,
     .longName = "no-settings",
     .kind = K::NoSettings,
     .help = "read no settings file"},

    {.group = Group::Runs,
     .longName = "update",
     .field = &O::update,
     .help = "skip sources whose thumbnail is up to date: made from\n"
             "the same file (size, time) with the same settings,\n"
             "as recorded in the thumbnail (a JPEG comment, a PNG\n"
             "text chunk, a WebP chunk, an AVIF metadata item)"},
    {.group = Group::Runs,
     .longName = "report",
     .kind = K::Name,
     .field = &O::reportFile,
     .valueName = "FILE",
     .help = "write one JSON object per source and line: source,\n"
             "output, status (written, skipped, refused, failed),\n"
             "reason, ms. Bytes of a name that are not UTF-8 are\n"
             "written as \\udc80 to \\udcff (Python's surrogateescape:\n"
             "os.fsencode() gives the name's bytes back)"},
    {.group = Group::Runs,
     .longName = "jobs",
     .shortName = 'j',
     .kind = K::Number,
     .field = &O::jobs,
     .range = {1, 1024},
     .valueName = "N",
     .help = "files converted at once (default: the processors)"},
    {.group = Group::Runs,
     .longName = "quiet",
     .field = &O::quiet,
     .help = "no progress line and no summary"},
    {.group = Group::Runs,
     .longName = "help",
     .shortName = 'h',
     .kind = K::Help,
     .help = "show this text"},
    {.group = Group::Runs,
     .longName = "version",
     .shortName = 'V',
     .kind = K::Version,
     .help = "show the version"},
};

}  // namespace

std::span<const BatchOption> BatchOptionTable() {
    return kOptions;
}

std::span<const std::string_view> BatchFormatNames() {
    return kFormatNames;
}

bool TakesValue(const BatchOption& option) {
    switch (option.kind) {
        case OptionKind::Switch:
        case OptionKind::NoSettings:
        case OptionKind::Help:
        case OptionKind::Version:
            return false;
        default:
            return true;
    }
}

const BatchOption* FindBatchOption(std::string_view name, bool& on) {
    for (const BatchOption& option : kOptions) {
        on = true;
        if (option.shortName != 0 && name.size() == 2 && name[0] == '-' &&
            name[1] == option.shortName)
            return &option;
        if (!name.starts_with("--")) continue;
        const std::string_view longName = name.substr(2);
        if (longName == option.longName) return &option;
        if (option.kind == OptionKind::Switch && longName.starts_with("no-") &&
            longName.substr(3) == option.longName) {
            on = false;
            return &option;
        }
    }
    return nullptr;
}
