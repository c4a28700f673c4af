#include <QApplication>
#include <QLabel>

// Placeholder start-up until the main window lands: it says what the program
// is and does nothing it cannot yet do.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Thumbrix %1\nThe main window is not built yet.")
                     .arg(QStringLiteral(THUMBRIX_VERSION)));
    label.setWindowTitle(QStringLiteral("Thumbrix"));
    label.setAlignment(Qt::AlignCenter);
    label.resize(281, 280);
    label.show();
    return app.exec();
}
