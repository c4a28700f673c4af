#include "codec/jpegsettings.h"

#include <QGuiApplication>
#include <QScreen>

int ScreenBitsPerPixel() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return 24;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->depth() : 24;
}

JpegOutputDepth OutputDepthForScreen(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? JpegOutputDepth::Depth8 : JpegOutputDepth::Depth24;
}

JpegSettings& DefaultJpegSettings() {
    static JpegSettings defaults = [] {
        JpegSettings settings;
        settings.OutputDepth = OutputDepthForScreen(ScreenBitsPerPixel());
        return settings;
    }();
    return defaults;
}
