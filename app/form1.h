#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "app/eventpump.h"
#include "conversion/runhost.h"
#include "conversion/runstate.h"
#include "conversion/settings.h"
#include "preview/previewhost.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TCSpinEdit;
class TShellTree;

// The main window: the settings, the destination tree, the progress bar and,
// by mode, "処理開始" (files from the command line) or "プレビュー" and drops.
// Its controls are the settings store: a run asks it for every value at the
// moment it needs one.
class TForm1 : public QWidget, public RunHost, public PreviewHost {
    Q_OBJECT
public:
    // arguments: the command line without the program; programFile locates the
    // settings file and the default folders.
    TForm1(const QStringList& arguments, const QString& programFile, QWidget* parent = nullptr);
    ~TForm1() override;

    bool CommandLineMode() const { return commandLineMode_; }
    // PreviewHost: the run state and settings the preview's runs share.
    RunState& State() override { return state_; }
    RunHost& RunSettings() override { return *this; }
    QString SettingsPath() const override { return settingsPath_; }
    void ActivateHost() override;
    bool AllFormats() const override { return stored_.allFormats; }
    void SetPreviewWindow(PreviewWindowLink* preview) { preview_ = preview; }

    // RunHost: answered from the live controls.
    int thumbnailSize() override;
    int jpegQuality() override;
    bool bestQuality() override;
    bool smoothing() override;
    bool progressive() override;
    bool keepDate() override;
    bool autoOrient() override;
    bool toSrgb() override;
    std::string prefix() override;
    std::string suffix() override;
    std::string destination() override;
    int decodeAheadWorkers() override;
    bool readsSource(const std::string& source, const PictureFormat& format) override;
    void setProgress(int position) override;
    void pump() override;
    void showMessage(const std::string& text) override;

    // The standard error box; tests replace it.
    virtual void ReportError(const QString& message);

    // Starts a run over these paths as a drop does (interactive mode only).
    void DropFiles(const QStringList& paths);

    QLabel* Label8;
    TCSpinEdit* ThumbnailSize;
    QGroupBox* GroupBox1;
    QLabel* Label6;
    TCSpinEdit* JpegQualityV;
    QCheckBox* JpegPrEncode;
    QCheckBox* JpegQualityF;
    QCheckBox* JpegSmoothing;
    QPushButton* Button1;
    QPushButton* Button3;
    QPushButton* Button2;
    QCheckBox* TimeStamp;
    QLabel* Label7;
    TShellTree* ShellTree2;
    QGroupBox* GroupBox2;
    QLineEdit* FileNameA;
    QLabel* Label1;
    QLineEdit* FileNameB;
    QLabel* Label2;
    QProgressBar* ProgressBar1;

public Q_SLOTS:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void JpegQualityVChange();
    void ThumbnailSizeChange();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void NameForAssistiveTools();
    void FormCreate(const QStringList& arguments);
    bool FormClose();
    void WriteSettings();
    bool TakesDrops() const;

    RunState state_;
    EventPump pump_;
    PreviewWindowLink* preview_ = nullptr;
    QString programFile_;
    QString settingsPath_;
    bool commandLineMode_ = false;
    bool dropPending_ = false;  // dropped, its run queued
    // As the settings file gave them; those without a control are written back.
    Settings stored_;
};
