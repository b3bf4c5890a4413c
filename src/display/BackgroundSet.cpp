#include "display/BackgroundSet.h"

#include <cmath>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSvgRenderer>

#include "core/file/TextFormat.h"
#include "display/DisplaySupport.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "shell/BackgroundImages.h"
#include "shell/BackgroundImagesSvg.h"
#include "shell/RealEdit.h"

namespace {

QString NumberText(double v) { return QString::fromStdString(RealText(false, 10, v)); }

bool ReadNumber(const QString& text, double& v) { return ParseRealText(Bytes(text), v) && std::isfinite(v); }

// Drawings larger than this are not taken from the clipboard.
constexpr qsizetype MaxClipboardDrawing = qsizetype(64) << 20;

} // namespace

TBackgroundWorkingSet::TBackgroundWorkingSet(TBackgroundKind kind, const TBackgrounds& backgrounds,
                                             const TBackgroundImageSet& images)
    : Kind(kind)
{
    const auto& stored = kind == TBackgroundKind::Raster ? backgrounds.Raster : backgrounds.Metafile;
    for (int k = 1; k <= SlotCount; ++k) {
        const TBackgroundSlot& s = stored[size_t(k)];
        TBackgroundDraft& d = Slots[size_t(k)];
        d.Name = Latin1(s.FileName);
        d.X = NumberText(s.X);
        d.Y = NumberText(s.Y);
        d.XScale = NumberText(s.XScale);
        d.YScale = NumberText(s.YScale);
        if (kind == TBackgroundKind::Raster)
            d.Raster = images.SharedRaster(k);
        else
            d.Metafile = images.SharedMetafile(k);
    }
}

void TBackgroundWorkingSet::Reference(int slot, const QString& file)
{
    if (!Valid(slot)) return;
    TBackgroundDraft& d = Slots[size_t(slot)];
    if (file != d.Name) d.Changed = true;
    d.Name = file;
    d.X = d.Y = "0";
    d.XScale = d.YScale = "1";
}

void TBackgroundWorkingSet::TakeClipboard(int slot)
{
    if (!Valid(slot) || Kind != TBackgroundKind::Metafile) return;
    TBackgroundDraft& d = Slots[size_t(slot)];
    if (d.Name != ClipboardBackgroundName) d.Changed = true;
    d.Name = ClipboardBackgroundName;
}

void TBackgroundWorkingSet::Remove(int slot)
{
    if (!Valid(slot)) return;
    TBackgroundDraft& d = Slots[size_t(slot)];
    d.Name.clear();
    d.X = d.Y = "0";
    d.XScale = d.YScale = "1";
    d.Changed = false;
}

bool TBackgroundWorkingSet::Promote(int slot)
{
    if (!Valid(slot) || slot == 1) return false;
    std::swap(Slots[size_t(slot)], Slots[size_t(slot - 1)]);
    return true;
}

bool TBackgroundWorkingSet::Demote(int slot)
{
    if (!Valid(slot) || slot == SlotCount) return false;
    std::swap(Slots[size_t(slot)], Slots[size_t(slot + 1)]);
    return true;
}

TBackgroundWorkingSet::TCheck TBackgroundWorkingSet::Commit(
    TBackgrounds& backgrounds, TBackgroundImageSet& images, const std::string& networkFile,
    const std::function<std::shared_ptr<QSvgRenderer>()>& clipboard)
{
    TCheck check;
    // New objects for the pictures chosen anew; the others keep theirs.
    std::array<std::shared_ptr<const QImage>, SlotCount + 1> rasters;
    std::array<std::shared_ptr<QSvgRenderer>, SlotCount + 1> drawings;
    std::array<std::string, SlotCount + 1> names;
    std::array<std::array<double, 4>, SlotCount + 1> numbers{};
    for (int k = 1; k <= SlotCount; ++k) {
        const TBackgroundDraft& d = Slots[size_t(k)];
        rasters[size_t(k)] = d.Raster;
        drawings[size_t(k)] = d.Metafile;
        const bool named = StoredName(d.Name, names[size_t(k)]);
        if (!named) {
            check.NameFailed[size_t(k)] = true;
            if (check.Unstorable.isEmpty()) check.Unstorable = d.Name;
        } else if (!d.Name.isEmpty() && d.Changed) {
            if (Kind == TBackgroundKind::Raster) {
                rasters[size_t(k)] = LoadRasterBackground(names[size_t(k)], networkFile);
                check.NameFailed[size_t(k)] = rasters[size_t(k)] == nullptr;
            } else if (d.Name == ClipboardBackgroundName) {
                drawings[size_t(k)] = clipboard ? clipboard() : nullptr;
            } else {
                drawings[size_t(k)] = LoadMetafileBackground(names[size_t(k)], networkFile);
                check.NameFailed[size_t(k)] = drawings[size_t(k)] == nullptr;
            }
        }
        const QString* texts[4] = {&d.X, &d.Y, &d.XScale, &d.YScale};
        for (int i = 0; i < 4; ++i)
            if (!ReadNumber(*texts[i], numbers[size_t(k)][size_t(i)])) check.NumberFailed[size_t(k)][size_t(i)] = true;
        for (int i = 0; i < 4; ++i) check.Ok = check.Ok && !check.NumberFailed[size_t(k)][size_t(i)];
        check.Ok = check.Ok && !check.NameFailed[size_t(k)];
    }
    if (!check.Ok) return check;
    auto& stored = SlotsOf(backgrounds);
    for (int k = 1; k <= SlotCount; ++k) {
        TBackgroundSlot& s = stored[size_t(k)];
        const auto& n = numbers[size_t(k)];
        s.X = n[0];
        s.Y = n[1];
        s.XScale = n[2];
        s.YScale = n[3];
        s.FileName = names[size_t(k)];
        const bool empty = s.FileName.empty();
        if (Kind == TBackgroundKind::Raster)
            images.SetRaster(k, empty ? nullptr : rasters[size_t(k)]);
        else
            images.SetMetafile(k, empty ? nullptr : drawings[size_t(k)]);
        TBackgroundDraft& d = Slots[size_t(k)];
        d.Raster = rasters[size_t(k)];
        d.Metafile = drawings[size_t(k)];
        d.Changed = false;
    }
    return check;
}

std::shared_ptr<QSvgRenderer> ClipboardDrawing()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat("image/svg+xml")) return nullptr;
    const QByteArray svg = data->data("image/svg+xml");
    if (svg.isEmpty() || svg.size() > MaxClipboardDrawing) return nullptr;
    // Another program's drawing is read as a file's is: what it names by path is not followed.
    return ReadSvgDrawing(svg);
}
