// JPEG decoding: pictures come back with their exact size and close colours;
// cut, foreign and oversized files give an error, never a crash or a picture.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include "platform/JpegImage.h"

namespace {

// Red, green, blue and near-white quarters, as a JPEG file.
QByteArray Quarters(int w, int h, bool progressive = false)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, QColor(220, 30, 30));
    p.fillRect(w / 2, 0, w - w / 2, h / 2, QColor(30, 200, 40));
    p.fillRect(0, h / 2, w / 2, h - h / 2, QColor(40, 40, 210));
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor(240, 240, 240));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(img) ? bytes : QByteArray();
}

TJpegResult Decode(const QByteArray& b, const TJpegLimits& limits = {})
{
    return DecodeJpeg(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()), limits);
}

bool Near(QColor c, int r, int g, int b)
{
    return std::abs(c.red() - r) <= 14 && std::abs(c.green() - g) <= 14 && std::abs(c.blue() - b) <= 14;
}

} // namespace

TEST(Jpeg, DecodesSizeExactlyAndColoursClosely)
{
    // Sides that are not multiples of the 8- and 16-pixel blocks, both layouts.
    for (bool progressive : {false, true}) {
        const TJpegResult r = Decode(Quarters(37, 23, progressive));
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_EQ(r.Image.size(), QSize(37, 23));
        EXPECT_TRUE(Near(r.Image.pixelColor(4, 3), 220, 30, 30));
        EXPECT_TRUE(Near(r.Image.pixelColor(33, 3), 30, 200, 40));
        EXPECT_TRUE(Near(r.Image.pixelColor(4, 20), 40, 40, 210));
        EXPECT_TRUE(Near(r.Image.pixelColor(33, 20), 240, 240, 240));
    }
}

TEST(Jpeg, CutForeignAndOversizedFilesAreErrors)
{
    // Every cut, the end marker's included, in both layouts.
    for (bool progressive : {false, true}) {
        const QByteArray good = Quarters(40, 30, progressive);
        ASSERT_FALSE(good.isEmpty());
        for (qsizetype n = 0; n < good.size(); n += (n < 64 ? 1 : 7)) {
            const TJpegResult r = Decode(good.left(n));
            EXPECT_FALSE(r.Ok()) << "cut at " << n;
            EXPECT_TRUE(r.Image.isNull());
        }
        EXPECT_FALSE(Decode(good.left(good.size() - 2)).Ok());
    }
    QByteArray noise(5000, '\0');
    std::srand(7);
    for (char& c : noise) c = char(std::rand());
    EXPECT_FALSE(Decode(noise).Ok());
    noise[0] = char(0xFF), noise[1] = char(0xD8); // a JPEG start, then noise
    EXPECT_FALSE(Decode(noise).Ok());
    EXPECT_FALSE(Decode("ZOK 1.09\r\nnot a picture\r\n").Ok());
    EXPECT_FALSE(Decode(QByteArray()).Ok());
    EXPECT_FALSE(LoadJpegFile("/nonexistent/pic.jpg").Ok());

    QByteArray b = Quarters(40, 30);
    TJpegLimits small;
    small.MaxPixels = 40 * 30 - 1;
    EXPECT_FALSE(Decode(b, small).Ok());
    // A frame header that claims 65000 x 65000 is refused before anything is allocated.
    const qsizetype sof = b.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    b[sof + 5] = b[sof + 7] = char(0xFD);
    b[sof + 6] = b[sof + 8] = char(0xE8);
    EXPECT_EQ(Decode(b).Error, "The JPEG image is too large");
}
