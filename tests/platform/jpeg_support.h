// JPEG files made by libjpeg's compressor, for the tests of the decoder and
// of the background pictures.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QFile>
#include <QString>

extern "C" {
#include <jpeglib.h>
}

namespace testjpeg {

enum class TKind { Rgb, Grey, Progressive, Cmyk };

// Four colour quarters (or grey levels) of w x h pixels, compressed.
inline std::vector<uint8_t> MakeJpeg(int w, int h, TKind kind)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    const int comps = kind == TKind::Grey ? 1 : kind == TKind::Cmyk ? 4 : 3;
    info.input_components = comps;
    info.in_color_space = kind == TKind::Grey ? JCS_GRAYSCALE : kind == TKind::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (kind == TKind::Progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(w * comps));
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < w; ++x) {
            const int q = (x < w / 2 ? 0 : 1) + (y < h / 2 ? 0 : 2);
            JSAMPLE* p = &row[size_t(x * comps)];
            static const int rgb[4][3] = {{220, 30, 30}, {30, 200, 40}, {40, 40, 210}, {240, 240, 240}};
            if (kind == TKind::Grey) {
                p[0] = JSAMPLE(40 + 60 * q);
            } else if (kind == TKind::Cmyk) {
                // Inverted ink as Adobe writes it: red = no cyan, full magenta and yellow, no black.
                p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 255;
            } else {
                for (int k = 0; k < 3; ++k) p[k] = JSAMPLE(rgb[q][k]);
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

// Writes a JPEG of the four quarters to path.
inline bool WriteJpeg(const QString& path, int w, int h, TKind kind = TKind::Rgb)
{
    const std::vector<uint8_t> b = MakeJpeg(w, h, kind);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(reinterpret_cast<const char*>(b.data()), qint64(b.size())) == qint64(b.size());
}

} // namespace testjpeg
