// Listing a big folder for the preview's file list: 100,000 entries that are
// no pictures, with a few pictures among them.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "controls/filelisting.h"

namespace {

const QTemporaryDir& BigFolder() {
    static const QTemporaryDir dir = [] {
        QTemporaryDir made;
        for (int i = 0; i < 100000; ++i) {
            const QString name =
                QStringLiteral("entry%1.%2")
                    .arg(i, 6, 10, QLatin1Char('0'))
                    .arg(i % 100 == 0 ? QStringLiteral("JPG") : QStringLiteral("txt"));
            QFile(made.path() + u'/' + name).open(QIODevice::WriteOnly);
        }
        return made;
    }();
    return dir;
}

void ListBigFolder(benchmark::State& state) {
    const QString mask =
        state.range(0) ? QStringLiteral("*.jpg;*.jpeg;*.bmp") : QStringLiteral("*.bmp");
    const QString folder = BigFolder().path();
    for (auto _ : state) benchmark::DoNotOptimize(ListMatchingFiles(folder, mask));
    state.SetLabel(state.range(0) ? "1,000 of 100,000 match" : "none of 100,000 match");
}
BENCHMARK(ListBigFolder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
