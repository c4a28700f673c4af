// Times one run of the main window in command-line mode, as "処理開始" makes it:
// every setting read from the live controls, the bar moved after every pixel,
// events pumped. Usage: bench_window_run DEST SIZE FILE...
// With HIDDEN set the window is not shown, so nothing is painted: the
// difference is what drawing the progress bar costs.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "app/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: bench_window_run DEST SIZE FILE...\n");
        return 2;
    }
    QTemporaryDir dir;
    QFile settings(dir.filePath("thumbrix.ini"));
    if (!settings.open(QIODevice::WriteOnly)) return 1;
    const QString dest = QDir(args[0]).absolutePath() + "/";
    settings.write(("[FilePAth]\nSave=" + dest + "\n[IconImage]\nSize=" + args[1] + "\n").toUtf8());
    settings.close();

    TForm1 form(args.mid(2), dir.filePath("thumbrix"));
    if (!qEnvironmentVariableIsSet("HIDDEN")) form.show();
    const auto start = std::chrono::steady_clock::now();
    form.Button3Click();
    const auto end = std::chrono::steady_clock::now();
    std::printf("%.1f\n", std::chrono::duration<double, std::milli>(end - start).count());
    return 0;
}
