// Times one run of the main window, as a drop starts it: every setting read
// from the live controls, the bar moved after every pixel, events pumped. The
// window is on the screen and painted before, as it is when a user drops
// files; closing it (the settings written) is not part of the run.
// Usage: bench_window_run DEST SIZE FILE...
// WORKERS sets the number of decode-ahead threads (else one a core).
// With HIDDEN set the window is not shown, so nothing is painted: the
// difference is what drawing the progress bar costs.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "app/form1.h"

namespace {

class BenchForm : public TForm1 {
public:
    using TForm1::TForm1;
    int decodeAheadWorkers() override {
        bool set = false;
        const int workers = qEnvironmentVariableIntValue("WORKERS", &set);
        return set ? workers : TForm1::decodeAheadWorkers();
    }
};

}  // namespace

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

    BenchForm form({}, dir.filePath("thumbrix"));
    if (!qEnvironmentVariableIsSet("HIDDEN")) {
        form.show();
        // Painted and settled, as a window is long before anything is dropped.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const auto start = std::chrono::steady_clock::now();
    form.DropFiles(args.mid(2));
    const auto end = std::chrono::steady_clock::now();
    std::printf("%.1f\n", std::chrono::duration<double, std::milli>(end - start).count());
    return 0;
}
