#include "controls/filelisting.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <optional>

#include "controls/nameorder.h"
#include "platform/folderentries.h"
#include "platform/pathtext.h"

namespace {

[[noreturn]] void ThrowListError(const QString& folder, int error) {
    throw FolderListError("cannot list " + folder.toStdString() + ": " + std::strerror(error));
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
    std::vector<std::optional<QRegularExpression>> patterns;
    for (const QString& part : mask.split(u';', Qt::SkipEmptyParts))
        patterns.push_back(MaskPattern(part.trimmed()));

    QStringList files;
    const int error = ForEachFolderEntry(PathBytes(folder), [&](const FolderEntry& entry) {
        const QString name = PathText(entry.name());
        // Matched as shown: a regular expression matches no text that holds
        // the lone surrogates of bytes that are no UTF-8.
        const QString shown = ShownText(name);
        const bool matches = std::any_of(
            patterns.begin(), patterns.end(),
            [&](const std::optional<QRegularExpression>& p) { return Matches(shown, p); });
        if (matches && entry.isFile()) files.append(name);
        return true;
    });
    if (error != 0) ThrowListError(folder, error);
    SortNames(files);
    return files;
}
