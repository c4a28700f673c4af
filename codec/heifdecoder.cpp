#include "codec/heifdecoder.h"

#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "codec/filetypebox.h"
#include "codec/jpeglimits.h"
#include "codec/picturefinish.h"
#include "image/bitmap.h"

namespace {

// Bytes per pixel one decode holds at its peak: the codec's planes (up to
// three full ones), libheif's interleaved RGBA copy and the bitmap.
constexpr int64_t kBytesPerPixel = 3 + 4 + 4;

struct ContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;

bool IsAvifBrand(std::string_view brand) {
    return brand == "avif" || brand == "avis";
}

// Loads the plugins once; libheif counts the calls, and the program never ends its use.
void InitHeif() {
    static const bool done = [] {
        heif_init(nullptr);
        return true;
    }();
    (void)done;
}

bool Failed(const heif_error& error, std::string& reason) {
    if (error.code == heif_error_Ok) return false;
    reason = error.message != nullptr && *error.message != '\0' ? error.message : "not a HEIF file";
    return true;
}

// The embedded thumbnail with the smallest longer side that is still at least
// twice the thumbnail size, or null.
Handle DraftThumbnail(const heif_image_handle* primary, int thumbnailSize) {
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0) return nullptr;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    Handle best;
    int bestSide = 0;
    for (const heif_item_id id : ids) {
        heif_image_handle* raw = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &raw).code != heif_error_Ok) continue;
        Handle thumbnail(raw);
        const int side =
            std::max(heif_image_handle_get_width(raw), heif_image_handle_get_height(raw));
        if (side >= 2 * thumbnailSize && (!best || side < bestSide)) {
            best = std::move(thumbnail);
            bestSide = side;
        }
    }
    return best;
}

// The ICC profile's transform to sRGB; null for nclx colours (taken as sRGB),
// no profile, or one that already gives sRGB.
// The ICC profile the file gives its colours, if any (an nclx one is taken as
// sRGB).
QByteArray IccProfile(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
    QByteArray profile(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)), '\0');
    if (profile.isEmpty() ||
        heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok)
        return {};
    return profile;
}

// Interleaved RGB(A) rows into the bitmap's B, G, R(, A).
void CopyPixels(const heif_image* image, bool alpha, TBitmap& bitmap) {
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    for (int y = 0; y < bitmap.height(); ++y) {
        const uint8_t* from = plane + size_t(y) * size_t(stride);
        uchar* to = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, from += channels, to += channels) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            if (alpha) to[3] = from[3];
        }
    }
}

}  // namespace

bool IsHeifStart(std::string_view head) {
    static constexpr std::array<std::string_view, 8> kBrands = {"heic", "heix", "heim", "heis",
                                                                "hevc", "hevx", "mif1", "msf1"};
    const std::vector<std::string_view> brands = FileTypeBrands(head);
    if (brands.empty() || std::find(kBrands.begin(), kBrands.end(), brands[0]) == kBrands.end())
        return false;
    return std::none_of(brands.begin(), brands.end(), IsAvifBrand);
}

bool IsAvifStart(std::string_view head) {
    const std::vector<std::string_view> brands = FileTypeBrands(head);
    if (brands.empty()) return false;
    const bool major = IsAvifBrand(brands[0]) || brands[0] == "mif1" || brands[0] == "msf1";
    return major && std::any_of(brands.begin(), brands.end(), IsAvifBrand);
}

bool CheckHeifStart(const QByteArray& head, int64_t, std::string& reason) {
    const std::string_view start(head.constData(), size_t(head.size()));
    if (IsHeifStart(start) || IsAvifStart(start)) return true;
    reason = "not a HEIF or AVIF file: no 'ftyp' box with a HEIF or AVIF brand at its start";
    return false;
}

bool DecodeHeifPicture(const QByteArray& bytes, const DecodeOptions& options, TBitmap& bitmap,
                       std::string& reason) {
    InitHeif();
    const Context context(heif_context_alloc());
    if (!context) throw std::bad_alloc();
    heif_context_set_maximum_image_size_limit(context.get(), kHeifMaxSide);
    if (Failed(heif_context_read_from_memory_without_copy(context.get(), bytes.constData(),
                                                          size_t(bytes.size()), nullptr),
               reason))
        return false;
    heif_image_handle* raw = nullptr;
    if (Failed(heif_context_get_primary_image_handle(context.get(), &raw), reason)) return false;
    Handle handle(raw);
    if (options.draft) {
        if (Handle thumbnail = DraftThumbnail(handle.get(), options.thumbnailSize))
            handle = std::move(thumbnail);
    }

    // As shown: after rotation and cropping, which never grow the picture.
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    const int64_t codedPixels = int64_t{heif_image_handle_get_ispe_width(handle.get())} *
                                heif_image_handle_get_ispe_height(handle.get());
    if (std::max(codedPixels, int64_t{width} * height) * kBytesPerPixel > kJpegMemoryBudget) {
        reason = OverBudgetReason(width, height);
        return false;
    }

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsFree> decoding(
        heif_decoding_options_alloc());
    decoding->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    if (Failed(heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB,
                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                 decoding.get()),
               reason))
        return false;
    const Image image(decoded);
    if (heif_image_get_width(decoded, heif_channel_interleaved) != width ||
        heif_image_get_height(decoded, heif_channel_interleaved) != height ||
        heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8) {
        reason = "the HEIF picture decoded to another size or depth than its header says";
        return false;
    }

    TBitmap result(width, height,
                   alpha ? TBitmap::PixelFormat::Bits32 : TBitmap::PixelFormat::Bits24);
    CopyPixels(decoded, alpha, result);
    // libheif has turned the picture as the file says: no EXIF turn on top.
    if (options.toSrgb) FinishPicture(result, IccProfile(handle.get()), 1, options);
    bitmap = std::move(result);
    return true;
}
