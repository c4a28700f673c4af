#include "conversion/outputname.h"

#include <gtest/gtest.h>

#include "codec/pictureformat.h"

namespace {

struct NameRow {
    const char* source;
    const char* prefix;
    const char* suffix;
    const char* output;  // with the destination "/thumbs/"
};

TEST(ThumbnailPath, FollowsTheNamingRule) {
    const NameRow rows[] = {
        {"/photos/Beach.BMP", "s_", "_t", "/thumbs/s_Beach_t.jpg"},
        {"/photos/IMG.JPG", "s_", "_t", "/thumbs/s_IMG_t.JPG"},
        {"/photos/a.Jpeg", "s_", "_t", "/thumbs/s_a_t.Jpeg"},
        {"/x.y.bmp", "s_", "_t", "/thumbs/s_x.y_t.jpg"},
        {"/photos/Beach.bmp", "", "", "/thumbs/Beach.jpg"},
        {"/写真/夏の海.JPG", "表_", "_ソ", "/thumbs/表_夏の海_ソ.JPG"},
        {"/写真/表.bmp", "", "", "/thumbs/表.jpg"},
        // The extension is the source's, and must stand after the last "/".
        {"/some.dir/noext", "", "", "/thumbs/noext.jpg"},
        {"/photos/a.jpe", "", "", "/thumbs/a.jpg"},
        {"relative.jpeg", "", "", "/thumbs/relative.jpeg"},
        // A suffix with a dot gives the output its own extension to replace.
        {"/photos/noext", "", "_v1.JPEG", "/thumbs/noext_v1.JPEG"},
        {"/photos/a.bmp", "", ".v2", "/thumbs/a.v2.jpg"},
        {"/photos/.hidden", "", "", "/thumbs/.jpg"},
    };
    for (const NameRow& r : rows)
        EXPECT_EQ(ThumbnailPath(r.source, "/thumbs/", r.prefix, r.suffix), r.output) << r.source;
}

// Another format keeps an extension of its own, in any case, and replaces
// any other with its first.
TEST(ThumbnailPath, TheFormatGivesTheExtension) {
    const struct {
        const char* source;
        const char* format;
        const char* output;
    } rows[] = {
        {"/p/IMG.JPG", "png", "/thumbs/s_IMG.png"},
        {"/p/a.bmp", "webp", "/thumbs/s_a.webp"},
        {"/p/a.jpeg", "avif", "/thumbs/s_a.avif"},
        {"/p/a.PNG", "png", "/thumbs/s_a.PNG"},
        {"/p/noext", "avif", "/thumbs/s_noext.avif"},
        {"/p/a.png", "jpeg", "/thumbs/s_a.jpg"},
        {"/p/IMG.JPG", "jpeg", "/thumbs/s_IMG.JPG"},
        {"/p.d/x.y.webp", "webp", "/thumbs/s_x.y.webp"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ThumbnailPath(r.source, "/thumbs/", "s_", "", OutputFormatNamed(r.format)),
                  r.output)
            << r.source << " as " << r.format;
}

TEST(ThumbnailPath, ExtensionsCompareWithoutCase) {
    const struct {
        const char* path;
        const char* extension;
        bool jpeg;
    } rows[] = {
        {"/a/Photo.JPEG", ".JPEG", true}, {"/a/photo.Jpg", ".Jpg", true},
        {"/a/x.BMP", ".BMP", false},      {"/a/photo.jpe", ".jpe", false},
        {"/a.b/photo", "", false},        {"/a/photo.", ".", false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(PathExtension(r.path), r.extension) << r.path;
        EXPECT_EQ(HasExtension(JpegFormat(), PathExtension(r.path)), r.jpeg) << r.path;
    }
}

}  // namespace
