#include "app/thumbrixapplication.h"

#include <QMessageBox>
#include <exception>

#include "platform/programfile.h"

ThumbrixApplication::ThumbrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ThumbrixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
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
