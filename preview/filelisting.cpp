#include "preview/filelisting.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "controls/nameorder.h"
#include "platform/pathtext.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

[[noreturn]] void ThrowListError(const QString& folder, int error) {
    throw FolderListError("cannot list " + folder.toStdString() + ": " + std::strerror(error));
}

// Every entry name of the folder except "." and "..", as the system lists them.
std::vector<QByteArray> ReadEntryNames(const QByteArray& folder, const QString& shown) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.constData()));
    if (!dir) ThrowListError(shown, errno);
    std::vector<QByteArray> names;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) ThrowListError(shown, errno);
            return names;
        }
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") names.push_back(name);
    }
}

bool IsOrdinaryFile(const QByteArray& path) {
    struct stat status {};
    return stat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

bool MatchesMaskPart(const QString& name, const QString& part) {
    if (part == QLatin1String("*.*") || part == QLatin1String("*")) return true;
    const QRegularExpression pattern = QRegularExpression::fromWildcard(part, Qt::CaseInsensitive);
    return pattern.match(name).hasMatch();
}

QStringList ListMatchingFiles(const QString& folder, const QString& mask) {
    const QByteArray encoded = QByteArray::fromStdString(PathBytes(folder));
    const QByteArray prefix = encoded.endsWith('/') ? encoded : encoded + '/';
    const QStringList parts = mask.split(u';', Qt::SkipEmptyParts);

    QStringList files;
    for (const QByteArray& entry : ReadEntryNames(encoded, folder)) {
        if (entry.startsWith('.')) continue;
        const QString name = PathText(std::string_view(entry.constData(), size_t(entry.size())));
        // Matched as shown: a regular expression matches no text that holds
        // the lone surrogates of bytes that are no UTF-8.
        const QString shown = ShownText(name);
        const bool matches = std::any_of(parts.begin(), parts.end(), [&](const QString& part) {
            return MatchesMaskPart(shown, part.trimmed());
        });
        if (matches && IsOrdinaryFile(prefix + entry)) files.append(name);
    }
    SortNames(files);
    return files;
}
