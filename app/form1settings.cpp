// The main window's creation and closing: the settings file in and out.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "app/form1.h"
#include "app/windowtexts.h"
#include "controls/cspinedit.h"
#include "controls/shelltree.h"
#include "conversion/settingstable.h"
#include "platform/longname.h"
#include "platform/pathtext.h"
#include "platform/profilefile.h"
#include "platform/programplaces.h"

namespace {

// A stored position where no screen would show the window brings it back to
// the top-left corner, so that it can be reached at all.
QPoint OnSomeScreen(QPoint position, QSize size) {
    const QRect window(position, size);
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(window)) return position;
    return QGuiApplication::screens().isEmpty() ? position : QPoint(0, 0);
}

}  // namespace

void TForm1::FormCreate(const QStringList& arguments) {
    // Paths and the texts that become parts of names keep their bytes (PathText).
    settingsPath_ = PathText(SettingsFilePath(PathBytes(programFile_)));
    const Settings stored = ReadSettings(ProfileFile(PathBytes(settingsPath_)));
    move(OnSomeScreen(QPoint(stored.windowLeft, stored.windowTop), frameSize()));
    ThumbnailSize->setValue(stored.size);
    JpegQualityV->setValue(stored.quality);
    JpegQualityF->setChecked(stored.bestQuality);
    JpegSmoothing->setChecked(stored.smoothing);
    JpegPrEncode->setChecked(stored.progressive);
    FileNameA->setText(PathText(stored.prefix));
    FileNameB->setText(PathText(stored.suffix));
    TimeStamp->setChecked(stored.keepDate);
    stored_ = stored;
    std::string destination = stored.destination;
    if (destination.empty()) destination = DefaultFolder(PathBytes(programFile_));
    ShellTree2->setPathName(PathText(destination));

    state_ = RunState{};
    state_.ThumbBitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);
    state_.PreviewBitmap.setPixelFormat(TBitmap::PixelFormat::Bits24);

    commandLineMode_ = !arguments.isEmpty();
    if (commandLineMode_) {
        Button3->show();
        for (const QString& argument : arguments)
            state_.FileQueue.push_back(LongFileName(PathBytes(argument)));
    } else {
        Button2->show();
        setAcceptDrops(true);
    }
}

bool TForm1::FormClose() {
    if (state_.running()) return false;
    try {
        WriteSettings();
    } catch (const ProfileWriteError& e) {
        // Reported, and the program still ends: a read-only folder must not
        // keep the user from closing it.
        ReportError(WindowText(e.what()));
    }
    return true;
}

void TForm1::WriteSettings() {
    // The settings without a control go back as the file gave them.
    Settings s = stored_;
    s.windowLeft = x();
    s.windowTop = y();
    s.loadFolder.reset();
    if (!commandLineMode_ && preview_) s.loadFolder = PathBytes(preview_->LoadFolderPath());
    s.destination = PathBytes(ShellTree2->PathName());
    s.size = ThumbnailSize->value();
    s.quality = JpegQualityV->value();
    s.bestQuality = JpegQualityF->isChecked();
    s.smoothing = JpegSmoothing->isChecked();
    s.progressive = JpegPrEncode->isChecked();
    s.prefix = PathBytes(FileNameA->text());
    s.suffix = PathBytes(FileNameB->text());
    s.keepDate = TimeStamp->isChecked();
    ProfileFile file(PathBytes(settingsPath_));
    ::WriteSettings(file, s);
}
