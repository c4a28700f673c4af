#include "conversion/jpegoptions.h"

#include "codec/jpegimage.h"
#include "conversion/runhost.h"

void ApplyDecodeSettings(TJPEGImage& jpeg, RunHost& host) {
    jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
    jpeg.SetDecodeMode(host.bestQuality() ? JpegDecodeMode::QualityFirst
                                          : JpegDecodeMode::SpeedFirst);
    jpeg.SetBlockSmoothing(host.smoothing());
}
