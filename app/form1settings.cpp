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
    std::string destination;
    {
        const ProfileFile file(PathBytes(settingsPath_));
        move(OnSomeScreen(QPoint(ReadSettingInt(file, Setting::WindowLeft),
                                 ReadSettingInt(file, Setting::WindowTop)),
                          frameSize()));
        destination = ReadSettingText(file, Setting::SaveFolder);
        ThumbnailSize->setValue(ReadSettingInt(file, Setting::ThumbnailSize));
        JpegQualityV->setValue(ReadSettingInt(file, Setting::JpegQuality));
        JpegQualityF->setChecked(ReadSettingBool(file, Setting::BestQuality));
        JpegSmoothing->setChecked(ReadSettingBool(file, Setting::Smoothing));
        JpegPrEncode->setChecked(ReadSettingBool(file, Setting::Progressive));
        FileNameA->setText(PathText(ReadSettingText(file, Setting::NamePrefix)));
        FileNameB->setText(PathText(ReadSettingText(file, Setting::NameSuffix)));
        TimeStamp->setChecked(ReadSettingBool(file, Setting::KeepDate));
        autoOrient_ = ReadSettingBool(file, Setting::AutoOrient);
        toSrgb_ = ReadSettingBool(file, Setting::ToSrgb);
        allFormats_ = ReadSettingBool(file, Setting::AllFormats);
    }
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
    ProfileFile file(PathBytes(settingsPath_));
    WriteSetting(file, Setting::WindowLeft, x());
    WriteSetting(file, Setting::WindowTop, y());
    if (!commandLineMode_ && preview_)
        WriteSetting(file, Setting::LoadFolder, PathBytes(preview_->LoadFolderPath()));
    WriteSetting(file, Setting::SaveFolder, PathBytes(ShellTree2->PathName()));
    WriteSetting(file, Setting::ThumbnailSize, ThumbnailSize->value());
    WriteSetting(file, Setting::JpegQuality, JpegQualityV->value());
    WriteSettingBool(file, Setting::BestQuality, JpegQualityF->isChecked());
    WriteSettingBool(file, Setting::Smoothing, JpegSmoothing->isChecked());
    WriteSettingBool(file, Setting::Progressive, JpegPrEncode->isChecked());
    WriteSetting(file, Setting::NamePrefix, PathBytes(FileNameA->text()));
    WriteSetting(file, Setting::NameSuffix, PathBytes(FileNameB->text()));
    WriteSettingBool(file, Setting::KeepDate, TimeStamp->isChecked());
    WriteSettingBool(file, Setting::AutoOrient, autoOrient_);
    WriteSettingBool(file, Setting::ToSrgb, toSrgb_);
    WriteSettingBool(file, Setting::AllFormats, allFormats_);
}
