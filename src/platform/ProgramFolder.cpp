#include "platform/ProgramFolder.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "platform/FileNames.h"

std::string ExecutableDir()
{
    QString d = QCoreApplication::applicationDirPath();
    while (d.size() > 1 && d.endsWith('/')) d.chop(1);
    return DiskName(d);
}

static bool HoldsData(const QString& dir)
{
    return QFileInfo(dir + "/help/index.html").exists() || QFileInfo(dir + "/ZOKNode1.bmp").exists();
}

std::string ProgramDirectory()
{
    QString exe = ShownName(ExecutableDir());
    if (HoldsData(exe)) return DiskName(exe);
    QString shared = QDir::cleanPath(exe + "/../share/tarvex");
    if (HoldsData(shared)) return DiskName(shared);
    return DiskName(exe);
}

int BmpBitsPerPixel(const std::string& FileName)
{
    QFile f(ShownName(FileName));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    QByteArray h = f.read(30);
    if (h.size() < 30 || h[0] != 'B' || h[1] != 'M') return 0;
    auto u16 = [&](int at) { return int(uint8_t(h[at])) | (int(uint8_t(h[at + 1])) << 8); };
    uint32_t headerSize = uint32_t(uint8_t(h[14])) | (uint32_t(uint8_t(h[15])) << 8) |
                          (uint32_t(uint8_t(h[16])) << 16) | (uint32_t(uint8_t(h[17])) << 24);
    if (headerSize == 12) return u16(24); // OS/2 core header
    return u16(28);
}

// The bitmap with its bottom-left pixel's colour made transparent.
static QPixmap Transparent(const QImage& img)
{
    QPixmap pm = QPixmap::fromImage(img);
    if (img.isNull()) return pm;
    QRgb key = img.pixel(0, img.height() - 1);
    pm.setMask(QBitmap::fromImage(img.createMaskFromColor(key, Qt::MaskInColor)));
    return pm;
}

TSymbolBitmaps::TSymbolBitmaps()
{
    NodeBitmapIndex.fill(-1);
    FillBitmapIndex.fill(-1);
    LinkBitmapIndex.fill(-1);
}

void TSymbolBitmaps::Load(const std::string& Dir)
{
    *this = TSymbolBitmaps();
    const QString dir = ShownName(Dir);
    // Hands each symbol file <prefix>1..<prefix>MaxSymbols that exists and
    // decodes to take(n, image).
    auto loadSet = [&](const char* prefix, bool only24Bit, auto&& take) {
        for (int n = 1; n <= MaxSymbols; ++n) {
            QString name = dir + "/" + prefix + QString::number(n) + ".bmp";
            if (!QFileInfo::exists(name)) continue;
            if (only24Bit && BmpBitsPerPixel(DiskName(name)) != 24) continue;
            QImage img(name, "BMP");
            if (img.isNull()) continue;
            take(n, img);
        }
    };
    loadSet("ZOKNode", false, [&](int n, const QImage& img) {
        NodeBitmapIndex[size_t(n)] = int(NodeBitmaps.size());
        NodeBitmaps.push_back(Transparent(img));
    });
    loadSet("ZOKFill", false, [&](int n, const QImage& img) {
        FillBitmapIndex[size_t(n)] = int(FillBitmaps.size());
        FillBitmaps.push_back(QPixmap::fromImage(img));
    });
    // Link styles are 24-bit only.
    loadSet("ZOKLink", true, [&](int n, const QImage& img) {
        LinkBitmapIndex[size_t(n)] = int(LinkBitmaps.size());
        LinkBitmaps.push_back(Transparent(img));
    });
}
