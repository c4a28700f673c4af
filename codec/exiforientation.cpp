#include "codec/exiforientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

bool IsExifBlock(const unsigned char* body, std::size_t size) {
    static constexpr unsigned char kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    return body != nullptr && size > sizeof kHeader &&
           std::memcmp(body, kHeader, sizeof kHeader) == 0;
}

int ExifOrientation(const unsigned char* body, std::size_t size) {
    if (!IsExifBlock(body, size)) return 1;
    std::unique_ptr<ExifData, ExifDataFree> data(exif_data_new());
    if (!data) return 1;
    // Read the block as it is: libexif's "follow the standard" option would
    // add default entries of its own.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), body, static_cast<unsigned int>(size));
    // IFD1 describes the embedded preview, not the picture.
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->data == nullptr || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return value >= 1 && value <= 8 ? value : 1;
}

int BareExifOrientation(const unsigned char* block, std::size_t size) {
    if (IsExifBlock(block, size)) return ExifOrientation(block, size);
    std::vector<unsigned char> body = {'E', 'x', 'i', 'f', 0, 0};
    if (block != nullptr) body.insert(body.end(), block, block + size);
    return ExifOrientation(body.data(), body.size());
}
