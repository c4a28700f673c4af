// The preview window's controls, menu and creation.
#include "preview/form3.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include "controls/filelistbox.h"
#include "controls/programfont.h"
#include "controls/shelltree.h"
#include "conversion/settingstable.h"
#include "conversion/windowformats.h"
#include "platform/pathtext.h"
#include "platform/profilefile.h"
#include "platform/programplaces.h"

TForm3::TForm3(PreviewHost& host, const QString& programFile, QWidget* parent)
    : QMainWindow(parent), host_(host) {
    setWindowTitle(tr("Thumbrix - プレビュー"));
    setFont(ProgramFont());
    resize(397, 290);
    // Only the main window's close ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls();
    CreateMenu();
    FormCreate(programFile);
}

TForm3::~TForm3() = default;

void TForm3::CreateControls() {
    auto* client = new QWidget(this);
    auto* layout = new QHBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(client);

    Panel1 = new QWidget(client);
    Panel1->setFixedWidth(145);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Vertical, Panel1);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    panelLayout->addWidget(Splitter1);

    ShellTree1 = new TShellTree(Splitter1);
    ShellTree1->setFocusPolicy(Qt::StrongFocus);
    ShellTree1->Loaded();

    FileListBox1 = new TFileListBox(Splitter1);
    FileListBox1->setMask(QString::fromStdString(WindowFileMask(host_.AllFormats())));

    Splitter1->addWidget(ShellTree1);
    Splitter1->addWidget(FileListBox1);
    Splitter1->setStretchFactor(0, 0);  // the tree keeps its height, the list takes the rest
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({144, 290 - 144 - 3});
    Splitter1->handle(1)->setCursor(Qt::SplitVCursor);
    layout->addWidget(Panel1);

    ScrollBox1 = new QScrollArea(client);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    canvas_ = new QWidget;
    Image1 = new QLabel(canvas_);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->move(0, 0);
    ScrollBox1->setWidget(canvas_);
    layout->addWidget(ScrollBox1, 1);
    SetPictureVisible(true);

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setDefaultSuffix(QStringLiteral("jpg"));
    SaveDialog1->setNameFilters({tr("All (BMP & JPEG) (*.bmp *.jpg *.jpeg)"),
                                 tr("Bitmap files (*.bmp)"), tr("JPEG files (*.jpg *.jpeg)")});
    SaveDialog1->selectNameFilter(SaveDialog1->nameFilters().front());
    SaveDialog1->setSizeGripEnabled(true);

    // Screen readers name a control by its role where it has no caption.
    ShellTree1->setAccessibleName(tr("Folders"));
    FileListBox1->setAccessibleName(tr("Files"));
    ScrollBox1->setAccessibleName(tr("Thumbnail"));
    Image1->setAccessibleName(tr("Thumbnail"));

    connect(ShellTree1, &TShellTree::OnChange, this, &TForm3::ShellTree1Change);
    connect(FileListBox1, &TFileListBox::OnChange, this, &TForm3::FileListBox1Change);
}

void TForm3::CreateMenu() {
    MainMenu1 = menuBar();
    File1 = MainMenu1->addMenu(tr("ﾌｧｲﾙ(&F)"));
    Save1 = File1->addAction(tr("保存(&S)"), this, &TForm3::Save1Click);
    Save1->setEnabled(false);
    N1 = File1->addSeparator();
    Exit1 = File1->addAction(tr("閉じる(&C)"), this, &TForm3::Exit1Click);

    Edit1 = MainMenu1->addMenu(tr("編集(&E)"));
    Copy1 = Edit1->addAction(tr("コピー(&C)"), this, &TForm3::Copy1Click);
    Copy1->setEnabled(false);

    Show1 = MainMenu1->addMenu(tr("表示(&V)"));
    M1 = Show1->addMenu(tr("倍率(&M)"));
    Magnification = new QActionGroup(this);
    Magnification->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const auto item = [this](const char* caption, void (TForm3::*click)()) {
        QAction* action = M1->addAction(tr(caption), this, click);
        action->setCheckable(true);
        Magnification->addAction(action);
        return action;
    };
    x11 = item(QT_TR_NOOP("x 1"), &TForm3::x11Click);
    x21 = item(QT_TR_NOOP("x 2"), &TForm3::x21Click);
    x31 = item(QT_TR_NOOP("x 3"), &TForm3::x31Click);
    x41 = item(QT_TR_NOOP("x 4"), &TForm3::x41Click);
    x81 = item(QT_TR_NOOP("x 8"), &TForm3::x81Click);
    x11->setChecked(true);
}

void TForm3::FormCreate(const QString& programFile) {
    std::string folder;
    {
        const ProfileFile file(PathBytes(host_.SettingsPath()));
        folder = ReadSettings(file).loadFolder.value_or("");
    }
    if (folder.empty()) folder = DefaultFolder(PathBytes(programFile));
    ShellTree1->setPathName(PathText(folder));
}

void TForm3::ShowNormal() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

QString TForm3::LoadFolderPath() const {
    return ShellTree1->PathName();
}

// A hidden picture takes no room in the scroll box: no scroll bars for it.
void TForm3::SetPictureVisible(bool visible) {
    Image1->setVisible(visible);
    canvas_->resize(visible ? Image1->size() : QSize(0, 0));
}
