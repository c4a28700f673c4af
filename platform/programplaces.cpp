#include "platform/programplaces.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdlib>

#include "buildinfo.h"
#include "platform/filestatus.h"
#include "platform/pathname.h"
#include "platform/programfile.h"

namespace {

std::string Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string HomeFolder() {
    return Encoded(QDir::homePath());
}

// An installed copy is told apart by its desktop entry, which the install puts
// at a fixed place relative to bin/.
bool IsInstalledCopy(const std::string& folder) {
    return IsExistingFile(folder + THUMBRIX_DESKTOP_ENTRY_FROM_BIN);
}

}  // namespace

bool IsOwnProgramFolder(const std::string& programFile) {
    const std::string folder = FolderOf(programFile);
    if (folder.empty()) return false;
    return access(folder.c_str(), W_OK) == 0 && !IsInstalledCopy(folder);
}

std::string SettingsFilePath(const std::string& programFile) {
    if (IsOwnProgramFolder(programFile)) return SettingsFileOf(programFile);
    // Relative values are to be ignored, as the XDG base directory rules say.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string base = configHome && configHome[0] == '/'
                                 ? std::string(configHome)
                                 : WithSlash(HomeFolder()) + ".config";
    return WithSlash(base) + "thumbrix/thumbrix.ini";
}

std::string DefaultFolder(const std::string& programFile) {
    if (IsOwnProgramFolder(programFile)) return FolderOf(programFile);
    const std::string pictures =
        Encoded(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    if (!pictures.empty() && IsExistingFolder(pictures)) return WithSlash(pictures);
    return WithSlash(HomeFolder());
}
