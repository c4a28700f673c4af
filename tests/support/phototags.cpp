#include "tests/support/phototags.h"

#include <lcms2.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "image/bitmap.h"

namespace {

QByteArray Saved(cmsHPROFILE profile) {
    if (profile == nullptr) throw std::runtime_error("no profile");
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

cmsHPROFILE RgbProfile(const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve) {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return profile;
}

constexpr cmsCIExyYTRIPLE kSrgbPrimaries = {
    {0.6400, 0.3300, 1.0}, {0.3000, 0.6000, 1.0}, {0.1500, 0.0600, 1.0}};

void PutShort(QByteArray& b, int v, bool big) {
    big ? b.append(char(v >> 8)).append(char(v)) : b.append(char(v)).append(char(v >> 8));
}
void PutLong(QByteArray& b, unsigned v, bool big) {
    if (big) {
        PutShort(b, int(v >> 16), true);
        PutShort(b, int(v & 0xFFFF), true);
    } else {
        PutShort(b, int(v & 0xFFFF), false);
        PutShort(b, int(v >> 16), false);
    }
}

// Lab of a CMYK sample, for the CMYK profile's table: red and blue swapped.
cmsInt32Number SwappedSampler(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
    auto toLab = static_cast<cmsHTRANSFORM>(cargo);
    // Ink amounts; the naive reading multiplies what each ink leaves.
    const auto left = [&](int i) { return 1.0 - in[i] / 65535.0; };
    const double rgb[3] = {left(2) * left(3), left(1) * left(3), left(0) * left(3)};
    cmsCIELab lab;
    cmsDoTransform(toLab, rgb, &lab, 1);
    cmsFloat2LabEncodedV2(out, &lab);
    return TRUE;
}

}  // namespace

QByteArray WithSegment(const QByteArray& jpeg, int marker, const QByteArray& body) {
    QByteArray segment;
    segment.append(char(0xFF)).append(char(marker));
    PutShort(segment, int(body.size()) + 2, true);
    segment.append(body);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray ExifBody(int orientation, bool big) {
    QByteArray b("Exif", 4);
    b.append('\0').append('\0');
    b.append(big ? "MM" : "II");
    PutShort(b, 42, big);
    PutLong(b, 8, big);  // IFD0 right after the header
    PutShort(b, 1, big);
    PutShort(b, 0x0112, big);  // Orientation
    PutShort(b, 3, big);       // SHORT
    PutLong(b, 1, big);
    PutShort(b, orientation, big);
    PutShort(b, 0, big);
    PutLong(b, 0, big);  // no IFD1
    return b;
}

QByteArray WithIccProfile(const QByteArray& jpeg, const QByteArray& profile) {
    constexpr qsizetype kChunk = 65519;
    const int count = int((profile.size() + kChunk - 1) / kChunk);
    QByteArray result = jpeg;
    // Inserted last chunk first, so that they end up in order.
    for (int i = count - 1; i >= 0; --i) {
        QByteArray body("ICC_PROFILE", 12);
        body.append(char(i + 1)).append(char(count));
        body.append(profile.mid(i * kChunk, kChunk));
        result = WithSegment(result, 0xE2, body);
    }
    return result;
}

QByteArray SrgbProfile() {
    return Saved(cmsCreate_sRGBProfile());
}

QByteArray AdobeRgbProfile() {
    const cmsCIExyYTRIPLE primaries = {
        {0.6400, 0.3300, 1.0}, {0.2100, 0.7100, 1.0}, {0.1500, 0.0600, 1.0}};
    return Saved(RgbProfile(primaries, cmsBuildGamma(nullptr, 563.0 / 256.0)));
}

QByteArray TabulatedSrgbProfile() {
    cmsUInt16Number table[1024];
    for (int i = 0; i < 1024; ++i) {
        const double v = i / 1023.0;
        const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        table[i] = cmsUInt16Number(std::lround(linear * 65535.0));
    }
    return Saved(RgbProfile(kSrgbPrimaries, cmsBuildTabulatedToneCurve16(nullptr, 1024, table)));
}

QByteArray GrayProfile(double gamma) {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsHPROFILE profile = cmsCreateGrayProfile(&white, curve);
    cmsFreeToneCurve(curve);
    return Saved(profile);
}

QByteArray SwappedCmykProfile() {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab =
        cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_PERCEPTUAL, 0);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(table, SwappedSampler, toLab, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, table);

    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    // Version 2: its 16-bit table takes a bare colour table.
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    for (cmsTagSignature tag : {cmsSigAToB0Tag, cmsSigAToB1Tag})
        cmsWriteTag(profile, tag, pipeline);
    cmsPipelineFree(pipeline);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return Saved(profile);
}

TBitmap FromSrgb(const TBitmap& bitmap, const QByteArray& profile) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE target =
        cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size()));
    cmsHTRANSFORM transform =
        cmsCreateTransform(srgb, TYPE_BGR_8, target, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    TBitmap result(bitmap.width(), bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y)
        cmsDoTransform(transform, bitmap.scanLine(y), result.scanLine(y),
                       cmsUInt32Number(bitmap.width()));
    cmsDeleteTransform(transform);
    cmsCloseProfile(target);
    cmsCloseProfile(srgb);
    return result;
}

double MeanDifference(const TBitmap& a, const TBitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.scanLine(y);
        const uchar* q = b.scanLine(y);
        for (int i = 0; i < a.width() * 3; ++i) sum += std::abs(p[i] - q[i]);
    }
    return sum / (double(a.width()) * a.height() * 3);
}
