#include "shell/BackgroundImages.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSvgRenderer>

#include "platform/FileNames.h"
#include "platform/JpegImage.h"
#include "shell/BackgroundImagesSvg.h"

namespace {

// The folder of the network file; empty when it has none.
QString NetworkFolder(const std::string& networkFile)
{
    if (networkFile.empty()) return {};
    return QFileInfo(ShownName(networkFile)).absolutePath();
}

// A relative name lies in the network file's folder.
QString Located(const QString& folder, const QString& name)
{
    return QDir::isRelativePath(name) && !folder.isEmpty() ? QDir(folder).filePath(name) : name;
}

bool IsFile(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

constexpr const char* ClipboardName = "Clipboard";

bool ValidSlot(int slot) { return slot >= 1 && slot <= 10; }

} // namespace

std::string ResolveBackgroundPath(const std::string& name, const std::string& networkFile)
{
    if (name.empty()) return {};
    const QString folder = NetworkFolder(networkFile);
    const QString stored = QString::fromLatin1(name.data(), qsizetype(name.size()));
    if (const QString p = Located(folder, stored); IsFile(p)) return DiskName(p);
    QString slashed = stored;
    slashed.replace('\\', '/');
    if (const QString p = Located(folder, slashed); slashed != stored && IsFile(p)) return DiskName(p);
    // The last component, after a slash or a backslash, beside the network file.
    const qsizetype cut = slashed.lastIndexOf('/');
    const QString last = cut < 0 ? slashed : slashed.mid(cut + 1);
    if (!folder.isEmpty() && !last.isEmpty() && last != "." && last != "..") {
        if (const QString p = QDir(folder).filePath(last); IsFile(p)) return DiskName(p);
    }
    return {};
}

std::unique_ptr<QImage> LoadRasterBackground(const std::string& name, const std::string& networkFile)
{
    const std::string path = ResolveBackgroundPath(name, networkFile);
    if (path.empty()) return nullptr;
    TJpegResult r = LoadJpegFile(ShownName(path));
    if (!r.Ok() || r.Image.isNull()) return nullptr;
    return std::make_unique<QImage>(std::move(r.Image));
}

std::unique_ptr<QSvgRenderer> LoadMetafileBackground(const std::string& name, const std::string& networkFile)
{
    const std::string path = ResolveBackgroundPath(name, networkFile);
    if (path.empty()) return nullptr;
    // An enhanced or Windows metafile is no SVG: the load fails and the slot
    // stays undrawn. Pictures the drawing names by path are not followed.
    return LoadSvgDrawingFile(ShownName(path));
}

TBackgroundImageSet::TBackgroundImageSet() = default;
TBackgroundImageSet::~TBackgroundImageSet() = default;

void TBackgroundImageSet::Load(const TBackgrounds& backgrounds, const std::string& networkFile)
{
    FNetworkFile = networkFile;
    Reload(backgrounds);
}

void TBackgroundImageSet::Reload(const TBackgrounds& backgrounds)
{
    for (int slot = 1; slot <= 10; ++slot) {
        const std::string& raster = backgrounds.Raster[size_t(slot)].FileName;
        FRasters[size_t(slot)] = raster.empty() ? nullptr : LoadRasterBackground(raster, FNetworkFile);
        // A drawing taken from the clipboard has no file to read again.
        const std::string& metafile = backgrounds.Metafile[size_t(slot)].FileName;
        if (metafile == ClipboardName) continue;
        FMetafiles[size_t(slot)] = metafile.empty() ? nullptr : LoadMetafileBackground(metafile, FNetworkFile);
    }
}

void TBackgroundImageSet::Clear()
{
    for (auto& r : FRasters) r.reset();
    for (auto& m : FMetafiles) m.reset();
}

const QImage* TBackgroundImageSet::Raster(int slot) const
{
    return ValidSlot(slot) ? FRasters[size_t(slot)].get() : nullptr;
}

QSvgRenderer* TBackgroundImageSet::Metafile(int slot) const
{
    return ValidSlot(slot) ? FMetafiles[size_t(slot)].get() : nullptr;
}

void TBackgroundImageSet::SetRaster(int slot, std::shared_ptr<const QImage> image)
{
    if (ValidSlot(slot)) FRasters[size_t(slot)] = std::move(image);
}

void TBackgroundImageSet::SetMetafile(int slot, std::shared_ptr<QSvgRenderer> drawing)
{
    if (ValidSlot(slot)) FMetafiles[size_t(slot)] = std::move(drawing);
}

std::shared_ptr<const QImage> TBackgroundImageSet::SharedRaster(int slot) const
{
    return ValidSlot(slot) ? FRasters[size_t(slot)] : nullptr;
}

std::shared_ptr<QSvgRenderer> TBackgroundImageSet::SharedMetafile(int slot) const
{
    return ValidSlot(slot) ? FMetafiles[size_t(slot)] : nullptr;
}
