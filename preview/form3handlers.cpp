// The preview window's event handlers.
#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScopedValueRollback>
#include <stdexcept>

#include "controls/filelistbox.h"
#include "controls/shelltree.h"
#include "conversion/runconversion.h"
#include "conversion/runstate.h"
#include "conversion/thumbnailwriter.h"
#include "platform/filestatus.h"
#include "platform/pathtext.h"
#include "preview/form3.h"
#include "preview/replicatepixels.h"

void TForm3::ShellTree1Change() {
    if (ShellTree1->selectedItems().isEmpty()) return;
    try {
        FileListBox1->setDirectory(ShellTree1->PathName());
    } catch (const std::exception&) {
        // No message: the tree goes back to the folder that is listed. The
        // nested change finds that folder already listed and keeps the picture.
        // Should it fail too, it does not try again.
        if (KeepPicture) return;
        const QScopedValueRollback<bool> keep(KeepPicture, true);
        ShellTree1->setPathName(FileListBox1->Directory());
        return;
    }
    if (!KeepPicture) SetPictureVisible(false);
}

void TForm3::FileListBox1Change() {
    RunState& state = host_.State();
    if (state.running()) return;  // the run owns the queue until it ends
    Copy1->setEnabled(false);
    Save1->setEnabled(false);
    const QString path = FileListBox1->FileName();
    if (path.isEmpty()) return;

    state.FileQueue.clear();
    state.FileQueue.push_back(PathBytes(path));
    state.PreviewMode = true;
    // The main window's progress bar shows the run; this window comes back
    // afterwards, unless the user has hidden it meanwhile.
    host_.ActivateHost();
    RunConversion(state, host_.RunSettings());
    if (isVisible()) {
        raise();
        activateWindow();
    }

    if (state.RunFailed) {
        SetPictureVisible(false);
        return;
    }
    Copy1->setEnabled(true);
    Save1->setEnabled(true);
    state.PreviewBitmap = state.ThumbBitmap;
    state.PreviewFileAge = state.SourceFileAge;
    previewedFile_ = path;
    ShowPicture();
}

int TForm3::ZoomFactor() const {
    if (x81->isChecked()) return 8;
    if (x41->isChecked()) return 4;
    if (x31->isChecked()) return 3;
    if (x21->isChecked()) return 2;
    return 1;
}

void TForm3::ShowPicture() {
    const QImage picture = ReplicatePixels(host_.State().PreviewBitmap, ZoomFactor());
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
    SetPictureVisible(true);
}

void TForm3::Magnify(QAction* item) {
    item->setChecked(true);
    ShowPicture();
}

void TForm3::x11Click() {
    Magnify(x11);
}
void TForm3::x21Click() {
    Magnify(x21);
}
void TForm3::x31Click() {
    Magnify(x31);
}
void TForm3::x41Click() {
    Magnify(x41);
}
void TForm3::x81Click() {
    Magnify(x81);
}

QClipboard* TForm3::OpenClipboard() {
    return QGuiApplication::clipboard();
}

// The thumbnail at its own size, whatever the magnification.
void TForm3::Copy1Click() {
    QClipboard* clipboard = OpenClipboard();
    if (clipboard == nullptr)
        throw std::runtime_error(tr("クリップボードを開くことができません").toStdString());
    clipboard->setImage(host_.State().PreviewBitmap.image().copy());
}

std::optional<QString> TForm3::AskSaveFileName() {
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return std::nullopt;
    return SaveDialog1->selectedFiles().front();
}

// The format follows the extension: ".bmp", ".jpg" or ".jpeg"; others write
// nothing. Throws ThumbnailCreateError when the file cannot be created.
void TForm3::Save1Click() {
    // The dialog opens where the user saved last in this session, else beside
    // the picture, with no name: a proposed name would be one step from
    // replacing the photograph itself.
    SaveDialog1->setDirectory(lastSaveFolder_.isEmpty() ? QFileInfo(previewedFile_).absolutePath()
                                                        : lastSaveFolder_);
    SaveDialog1->selectFile(QString());
    const std::optional<QString> path = AskSaveFileName();
    if (!path) return;
    if (IsPreviewedFile(*path)) {
        ShowSaveRefusal(tr("表示中の画像ファイルには保存できません"));
        return;
    }
    // The previewed picture's date: a later run has loaded other files since.
    RunState saved;
    saved.SourceFileAge = host_.State().PreviewFileAge;
    WriteThumbnail(host_.State().PreviewBitmap, PathBytes(*path), saved, host_.RunSettings());
    lastSaveFolder_ = QFileInfo(*path).absolutePath();
}

// The same path, or another name of the same file (a link).
bool TForm3::IsPreviewedFile(const QString& path) const {
    if (previewedFile_.isEmpty()) return false;
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(previewedFile_).absoluteFilePath())
        return true;
    const std::optional<FileStatus> chosen = StatPath(PathBytes(path));
    const std::optional<FileStatus> shown = StatPath(PathBytes(previewedFile_));
    return chosen && shown && chosen->sameFileAs(*shown);
}

void TForm3::ShowSaveRefusal(const QString& text) {
    QMessageBox::warning(this, windowTitle(), text);
}

void TForm3::Exit1Click() {
    close();
}
