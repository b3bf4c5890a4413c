// The background images of a window: the JPEG pictures of its ten raster
// slots and the SVG drawings standing in for the metafiles of its ten metafile
// slots, loaded from the names its settings keep. A view made from a window
// starts with a copy of the set that shares its pictures: a picture is never
// changed once loaded, and lives while any set holds it.
//
// A slot whose file is missing or cannot be read here (an .emf or .wmf, a
// damaged picture) stays empty and is not drawn; its name and placement in
// the network's TBackgrounds are never touched, so saving keeps the entry.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "shell/NodeLinkDraw.h"

class QImage;
class QSvgRenderer;

// The file a stored background name stands for. Names may come from Windows:
// the name as stored, then the name with backslashes as slashes, then its last
// component in the network file's folder; the first that is an existing file
// wins. A relative name is taken from the network file's folder (the working
// folder when there is no network file). Empty when none exists. The name is
// as the network file stores it (Latin-1); networkFile and the result are as
// the disk spells them (platform/FileNames.h).
std::string ResolveBackgroundPath(const std::string& name, const std::string& networkFile);

// One picture of a raster slot / one drawing of a metafile slot, found by the
// path rule; nullptr when the file is missing or cannot be loaded. A drawing
// is read self-contained and bounded (shell/BackgroundImagesSvg.h).
std::unique_ptr<QImage> LoadRasterBackground(const std::string& name, const std::string& networkFile);
std::unique_ptr<QSvgRenderer> LoadMetafileBackground(const std::string& name, const std::string& networkFile);

class TBackgroundImageSet : public TBackgroundImages {
public:
    TBackgroundImageSet();
    ~TBackgroundImageSet() override;
    // Copies share the pictures.
    TBackgroundImageSet(const TBackgroundImageSet&) = default;
    TBackgroundImageSet& operator=(const TBackgroundImageSet&) = default;

    // Loads every slot of backgrounds anew, with names found from the folder
    // of networkFile (kept for Reload); an unnamed slot is emptied. A metafile
    // slot named "Clipboard" keeps the drawing it was given.
    void Load(const TBackgrounds& backgrounds, const std::string& networkFile);
    // The same with the network file of the last Load.
    void Reload(const TBackgrounds& backgrounds);
    void Clear();
    const std::string& NetworkFile() const { return FNetworkFile; }

    const QImage* Raster(int slot) const override;
    QSvgRenderer* Metafile(int slot) const override;
    // Puts an image into a slot 1..10 (nullptr empties it), for the background
    // dialogs; a slot outside 1..10 is ignored.
    void SetRaster(int slot, std::shared_ptr<const QImage> image);
    void SetMetafile(int slot, std::shared_ptr<QSvgRenderer> drawing);
    // The picture of a slot as shared with the sets that hold it too.
    std::shared_ptr<const QImage> SharedRaster(int slot) const;
    std::shared_ptr<QSvgRenderer> SharedMetafile(int slot) const;

private:
    std::string FNetworkFile;
    std::array<std::shared_ptr<const QImage>, 11> FRasters;   // [1..10]
    std::array<std::shared_ptr<QSvgRenderer>, 11> FMetafiles; // [1..10]
};
