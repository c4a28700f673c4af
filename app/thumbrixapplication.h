#pragma once

#include <QApplication>
#include <QString>

// The application object. An exception that escapes an event handler is shown
// in the standard error box and the program goes on.
class ThumbrixApplication : public QApplication {
public:
    ThumbrixApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The standard error box, captioned with the application's title.
    static void ShowError(const QString& message);
    // The title of the program's message boxes.
    static QString Title();
};
