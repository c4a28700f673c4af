#pragma once

#include <sys/stat.h>

#include <QDir>
#include <QString>
#include <QStringList>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "conversion/settingshost.h"
#include "image/bitmap.h"
#include "tests/support/filebytes.h"
#include "tests/support/localtime.h"

// A run host over plain settings, recording what the run
// reports. onPump runs inside the resampler's pump, as window events would.
class TestHost : public SettingsHost {
public:
    Settings settings;
    int workers = 0;  // decode-ahead threads

    std::vector<int> progress;
    std::vector<std::string> messages;
    int pumps = 0;
    int qualityReads = 0;
    std::function<void()> onPump;
    // Which sources are read; unset: all.
    std::function<bool(const std::string&, const PictureFormat&)> reads;

    int jpegQuality() override {
        ++qualityReads;
        return settings.quality;
    }
    int decodeAheadWorkers() override { return workers; }
    void setProgress(int position) override { progress.push_back(position); }
    void pump() override {
        ++pumps;
        if (onPump) onPump();
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool readsSource(const std::string& source, const PictureFormat& format) override {
        return !reads || reads(source, format);
    }

protected:
    const Settings& values() const override { return settings; }
};

// A picture whose pixels vary, so that scaling and encoding are not trivial.
TBitmap TestPicture(int width, int height, int seed = 0);
// One colour all over (blue, green, red).
TBitmap PlainPicture(int width, int height, int blue, int green, int red);

void SaveBmp(const TBitmap& bitmap, const std::string& path);
void SaveJpeg(const TBitmap& bitmap, const std::string& path, int quality = 90);
void WriteBytes(const std::string& path, const std::string& bytes);

// Local time, as the file system's clock reads it.
void SetModified(const std::string& path, time_t t);
time_t Modified(const std::string& path);
// Seconds now by the fine clock. The file system may stamp a write with the
// fine clock while time() still reads the coarse one, a second behind.
time_t FineNow();

// Every entry of a folder, hidden ones included.
QStringList FolderEntries(const std::string& folder);
