// JPEG decoding: pictures made here by libjpeg's compressor come back with
// their exact size and close colours; cut, damaged, oversized and foreign
// files give an error, never a crash or a picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QColor>
#include <QFile>
#include <QTemporaryDir>

#include "platform/JpegImage.h"
#include "jpeg_support.h"

namespace {
using testjpeg::MakeJpeg;
using testjpeg::TKind;

TJpegResult Decode(const std::vector<uint8_t>& b, const TJpegLimits& limits = {})
{
    return DecodeJpeg(b.data(), b.size(), limits);
}

bool Near(QColor c, int r, int g, int b, int tolerance = 14)
{
    return std::abs(c.red() - r) <= tolerance && std::abs(c.green() - g) <= tolerance &&
           std::abs(c.blue() - b) <= tolerance;
}

} // namespace

TEST(Jpeg, DecodesSizeExactlyAndColoursClosely)
{
    // Sides that are not multiples of the 8- and 16-pixel blocks.
    for (TKind kind : {TKind::Rgb, TKind::Progressive}) {
        const TJpegResult r = Decode(MakeJpeg(37, 23, kind));
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_EQ(r.Image.size(), QSize(37, 23));
        EXPECT_TRUE(Near(r.Image.pixelColor(4, 3), 220, 30, 30));
        EXPECT_TRUE(Near(r.Image.pixelColor(33, 3), 30, 200, 40));
        EXPECT_TRUE(Near(r.Image.pixelColor(4, 20), 40, 40, 210));
        EXPECT_TRUE(Near(r.Image.pixelColor(33, 20), 240, 240, 240));
    }
    const TJpegResult grey = Decode(MakeJpeg(16, 9, TKind::Grey));
    ASSERT_TRUE(grey.Ok()) << grey.Error;
    EXPECT_EQ(grey.Image.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(grey.Image.size(), QSize(16, 9));
    EXPECT_TRUE(Near(grey.Image.pixelColor(1, 1), 40, 40, 40, 6));
    EXPECT_TRUE(Near(grey.Image.pixelColor(14, 8), 220, 220, 220, 6));

    const TJpegResult cmyk = Decode(MakeJpeg(8, 8, TKind::Cmyk));
    ASSERT_TRUE(cmyk.Ok()) << cmyk.Error;
    EXPECT_TRUE(Near(cmyk.Image.pixelColor(3, 3), 255, 0, 0));
}

TEST(Jpeg, CutAndForeignFilesAreErrors)
{
    const std::vector<uint8_t> good = MakeJpeg(40, 30, TKind::Rgb);
    const std::vector<uint8_t> progressive = MakeJpeg(40, 30, TKind::Progressive);
    // Every cut, the end marker's included, in both layouts.
    for (const auto* file : {&good, &progressive}) {
        for (size_t n = 0; n < file->size(); n += (n < 64 ? 1 : 7)) {
            const std::vector<uint8_t> cut(file->begin(), file->begin() + long(n));
            const TJpegResult r = Decode(cut);
            EXPECT_FALSE(r.Ok()) << "cut at " << n;
            EXPECT_TRUE(r.Image.isNull());
        }
        std::vector<uint8_t> noEnd(file->begin(), file->end() - 2);
        EXPECT_FALSE(Decode(noEnd).Ok());
    }

    std::vector<uint8_t> noise(5000);
    std::srand(7);
    for (uint8_t& b : noise) b = uint8_t(std::rand());
    EXPECT_FALSE(Decode(noise).Ok());
    noise[0] = 0xFF, noise[1] = 0xD8; // a JPEG start, then noise
    EXPECT_FALSE(Decode(noise).Ok());
    const std::string text = "ZOK 1.09\r\nnot a picture\r\n";
    EXPECT_FALSE(DecodeJpeg(reinterpret_cast<const uint8_t*>(text.data()), text.size()).Ok());
    EXPECT_FALSE(DecodeJpeg(nullptr, 0).Ok());

    // Damage inside the compressed data of a whole file: an error or a
    // picture of the right size, nothing else.
    for (size_t at = good.size() / 2; at < good.size() - 2; at += 13) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0x5A;
        const TJpegResult r = Decode(bad);
        if (r.Ok()) {
            EXPECT_EQ(r.Image.size(), QSize(40, 30));
        }
    }
}

TEST(Jpeg, OversizedPicturesAreRefusedBeforeDecoding)
{
    std::vector<uint8_t> b = MakeJpeg(40, 30, TKind::Rgb);
    TJpegLimits small;
    small.MaxPixels = 40 * 30 - 1;
    EXPECT_FALSE(Decode(b, small).Ok());
    small.MaxPixels = 40 * 30;
    EXPECT_TRUE(Decode(b, small).Ok());
    small.MaxFileBytes = int64_t(b.size()) - 1;
    EXPECT_FALSE(Decode(b, small).Ok());

    // The frame header claims 65000 x 65000: refused at once, nothing allocated.
    for (size_t i = 0; i + 8 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == 0xC0) {
            b[i + 5] = b[i + 7] = 0xFD;
            b[i + 6] = b[i + 8] = 0xE8;
            break;
        }
    const TJpegResult r = Decode(b);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.Error, "The JPEG image is too large");
}

TEST(Jpeg, LoadsFilesAndReportsMissingOnes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(testjpeg::WriteJpeg(dir.filePath("pic.jpg"), 12, 10));
    const TJpegResult r = LoadJpegFile(dir.filePath("pic.jpg"));
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Image.size(), QSize(12, 10));
    EXPECT_FALSE(LoadJpegFile(dir.filePath("gone.jpg")).Ok());
    EXPECT_FALSE(LoadJpegFile(dir.path()).Ok()); // a folder
}
