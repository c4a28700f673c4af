#include "preview/form3.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/programfont.h"
#include "conversion/settingstable.h"
#include "platform/profilefile.h"
#include "platform/programfile.h"

TForm3::TForm3(TForm1& form1, const QString& programFile, QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Thumbrix - プレビュー"));
    setFont(ProgramFont());
    resize(397, 290);
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("The preview window is not built yet."), this);
    note->setAlignment(Qt::AlignCenter);
    layout->addWidget(note);
    const ProfileFile file(form1.SettingsPath().toStdString());
    std::string folder = ReadSettingText(file, Setting::LoadFolder);
    if (folder.empty()) folder = FolderOf(programFile.toStdString());
    loadFolder_ = QString::fromStdString(folder);
}

void TForm3::ShowNormal() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
}
