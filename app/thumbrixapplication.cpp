#include "app/thumbrixapplication.h"

#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <exception>

#include "app/translations.h"
#include "app/windowtexts.h"
#include "buildinfo.h"
#include "platform/programfile.h"

ThumbrixApplication::ThumbrixApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The windows' icon; the desktop file name lets Wayland shells find the
    // same icon and menu entry.
    Q_INIT_RESOURCE(thumbrix);
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icon/%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    setDesktopFileName(QStringLiteral(THUMBRIX_APP_ID));
    InstallTranslations(QLocale::system());
}

bool ThumbrixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(WindowText(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return false;
}

void ThumbrixApplication::ShowError(const QString& message) {
    QMessageBox::critical(nullptr, Title(), message);
}

QString ThumbrixApplication::Title() {
    return QString::fromStdString(
        ApplicationTitle(QCoreApplication::applicationFilePath().toStdString()));
}
