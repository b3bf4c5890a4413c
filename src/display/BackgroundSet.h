// The working set of the two background dialogs: the ten raster (JPEG) or
// ten metafile (SVG) slots of a window as the dialog edits them, with the
// texts of each slot, the picture it shows and whether its name was chosen
// anew. Nothing reaches the window until Commit succeeds for every slot:
// pictures load into new objects, and a picture the window, a view or this
// set still holds is never freed under it (they share it).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include <QString>

#include "core/model/DisplaySettings.h"

class QImage;
class QSvgRenderer;
class TBackgroundImageSet;

enum class TBackgroundKind { Raster, Metafile };

// The name a metafile slot takes its drawing from the clipboard under.
inline const QString ClipboardBackgroundName = QStringLiteral("Clipboard");

struct TBackgroundDraft {
    QString Name; // the file name as shown; empty for an unused slot
    QString X, Y, XScale, YScale;
    std::shared_ptr<const QImage> Raster;
    std::shared_ptr<QSvgRenderer> Metafile;
    bool Changed = false; // the name was chosen anew: its picture loads on OK
};

class TBackgroundWorkingSet {
public:
    static constexpr int SlotCount = 10;
    // The window's slots of the kind: names, the numbers as real-number
    // texts of 10 digits, and the window's pictures.
    TBackgroundWorkingSet(TBackgroundKind kind, const TBackgrounds& backgrounds, const TBackgroundImageSet& images);

    const TBackgroundKind Kind;
    std::array<TBackgroundDraft, SlotCount + 1> Slots; // [1..10]

    // A file chosen for a slot: placed at 0, 0 at scale 1; marked changed
    // when the name differs from the one shown.
    void Reference(int slot, const QString& file);
    // The metafile slot takes the clipboard's drawing.
    void TakeClipboard(int slot);
    // Empties a slot: no name, placed at 0, 0 at scale 1, not changed.
    void Remove(int slot);
    // Exchanges the slot with the one before (Promote) or after (Demote);
    // false when there is none (slot 1, slot 10).
    bool Promote(int slot);
    bool Demote(int slot);

    struct TCheck {
        bool Ok = true;
        std::array<bool, SlotCount + 1> NameFailed{};                   // the picture did not load
        QString Unstorable; // the first name the network file cannot store (Latin-1 lacks a letter)
        std::array<std::array<bool, 4>, SlotCount + 1> NumberFailed{}; // X, Y, X scale, Y scale
    };
    // OK: loads the picture of every changed, named slot (a name found from
    // the folder of networkFile when relative; a name that the network file
    // cannot store, in Latin-1, is refused) and reads every number. Only when all
    // succeed do the window's slots and pictures take them; a slot without a
    // name is emptied. clipboard gives the clipboard's drawing (nullptr: none,
    // which leaves the slot undrawn, not failed).
    TCheck Commit(TBackgrounds& backgrounds, TBackgroundImageSet& images, const std::string& networkFile,
                  const std::function<std::shared_ptr<QSvgRenderer>()>& clipboard);

private:
    static bool Valid(int slot) { return slot >= 1 && slot <= SlotCount; }
    std::array<TBackgroundSlot, 11>& SlotsOf(TBackgrounds& b) const
    {
        return Kind == TBackgroundKind::Raster ? b.Raster : b.Metafile;
    }
};

// The clipboard's drawing when it holds one ("image/svg+xml"); nullptr otherwise.
std::shared_ptr<QSvgRenderer> ClipboardDrawing();
