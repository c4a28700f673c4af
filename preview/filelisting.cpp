#include "preview/filelisting.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "controls/nameorder.h"
#include "platform/pathtext.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

[[noreturn]] void ThrowListError(const QString& folder, int error) {
    throw FolderListError("cannot list " + folder.toStdString() + ": " + std::strerror(error));
}

struct Entry {
    QByteArray name;
    unsigned char type;  // d_type: DT_UNKNOWN where the file system does not tell
};

// Every entry of the folder except "." and "..", as the system lists them.
std::vector<Entry> ReadEntries(const QByteArray& folder, const QString& shown) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.constData()));
    if (!dir) ThrowListError(shown, errno);
    std::vector<Entry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) ThrowListError(shown, errno);
            return entries;
        }
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") entries.push_back({name, entry->d_type});
    }
}

// The entry's type answers without a system call, except for links and file
// systems that leave it unknown.
bool IsOrdinaryFile(const QByteArray& path, unsigned char type) {
    if (type == DT_REG) return true;
    if (type != DT_LNK && type != DT_UNKNOWN) return false;
    struct stat status {};
    return stat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

// A mask part as a pattern, made once for a whole listing; null for "*.*".
std::optional<QRegularExpression> MaskPattern(const QString& part) {
    if (part == QLatin1String("*.*") || part == QLatin1String("*")) return std::nullopt;
    return QRegularExpression::fromWildcard(part, Qt::CaseInsensitive);
}

bool Matches(const QString& name, const std::optional<QRegularExpression>& pattern) {
    return !pattern || pattern->match(name).hasMatch();
}

}  // namespace

bool MatchesMaskPart(const QString& name, const QString& part) {
    return Matches(name, MaskPattern(part));
}

QStringList ListMatchingFiles(const QString& folder, const QString& mask) {
    const QByteArray encoded = QByteArray::fromStdString(PathBytes(folder));
    const QByteArray prefix = encoded.endsWith('/') ? encoded : encoded + '/';
    std::vector<std::optional<QRegularExpression>> patterns;
    for (const QString& part : mask.split(u';', Qt::SkipEmptyParts))
        patterns.push_back(MaskPattern(part.trimmed()));

    QStringList files;
    for (const Entry& entry : ReadEntries(encoded, folder)) {
        if (entry.name.startsWith('.')) continue;
        const QString name =
            PathText(std::string_view(entry.name.constData(), size_t(entry.name.size())));
        // Matched as shown: a regular expression matches no text that holds
        // the lone surrogates of bytes that are no UTF-8.
        const QString shown = ShownText(name);
        const bool matches = std::any_of(
            patterns.begin(), patterns.end(),
            [&](const std::optional<QRegularExpression>& p) { return Matches(shown, p); });
        if (matches && IsOrdinaryFile(prefix + entry.name, entry.type)) files.append(name);
    }
    SortNames(files);
    return files;
}
