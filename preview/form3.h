#pragma once

#include <QMainWindow>
#include <QString>
#include <optional>

#include "preview/previewhost.h"

class QAction;
class QActionGroup;
class QClipboard;
class QFileDialog;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollArea;
class QSplitter;
class TFileListBox;
class TShellTree;

// The preview window: a folder tree and its picture files on the left; on the
// right the thumbnail that a run with the main window's current settings
// makes of the selected file, enlarged 1 to 8 times. The thumbnail can be
// copied to the clipboard or saved. Created hidden; closing it hides it.
class TForm3 : public QMainWindow, public PreviewWindowLink {
    Q_OBJECT
public:
    TForm3(PreviewHost& host, const QString& programFile, QWidget* parent = nullptr);
    ~TForm3() override;

    void ShowNormal() override;
    QString LoadFolderPath() const override;

    int ZoomFactor() const;  // from the checked magnification item

    QWidget* Panel1;
    TShellTree* ShellTree1;
    QSplitter* Splitter1;
    TFileListBox* FileListBox1;
    QScrollArea* ScrollBox1;
    QLabel* Image1;
    QFileDialog* SaveDialog1;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Save1;
    QAction* N1;
    QAction* Exit1;
    QMenu* Edit1;
    QAction* Copy1;
    QMenu* Show1;
    QMenu* M1;
    QActionGroup* Magnification;
    QAction* x11;
    QAction* x21;
    QAction* x31;
    QAction* x41;
    QAction* x81;

public Q_SLOTS:
    void ShellTree1Change();
    void FileListBox1Change();
    void Save1Click();
    void Exit1Click();
    void Copy1Click();
    void x11Click();
    void x21Click();
    void x31Click();
    void x41Click();
    void x81Click();
    void ShowPicture();

protected:
    // SaveDialog1 run modally: the chosen path, or nothing when cancelled.
    virtual std::optional<QString> AskSaveFileName();
    // The clipboard for one copy, or null when it cannot be had.
    virtual QClipboard* OpenClipboard();
    // Tells why Save wrote nothing.
    virtual void ShowSaveRefusal(const QString& text);

private:
    void CreateControls();
    void CreateMenu();
    void FormCreate(const QString& programFile);
    void Magnify(QAction* item);
    void SetPictureVisible(bool visible);
    bool IsPreviewedFile(const QString& path) const;

    PreviewHost& host_;
    QWidget* canvas_;  // ScrollBox1's content: Image1 when shown, else nothing
    bool KeepPicture = false;
    QString previewedFile_;   // the file whose thumbnail is on show
    QString lastSaveFolder_;  // where Save wrote last in this session
};
