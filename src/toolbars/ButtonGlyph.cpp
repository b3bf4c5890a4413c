#include "toolbars/ButtonGlyph.h"

#include <algorithm>

#include "toolbars/model/ButtonModel.h"

// ---- image lists ----

int TGlyphList::Add(const QImage& Image)
{
    auto it = std::find(FUsed.begin(), FUsed.end(), false);
    size_t slot = size_t(it - FUsed.begin());
    if (it == FUsed.end()) {
        FUsed.push_back(false);
        FImages.emplace_back();
    }
    FImages[slot] = Image;
    FUsed[slot] = true;
    ++FCount;
    return int(slot);
}

void TGlyphList::Delete(int Index)
{
    if (Index < 0 || size_t(Index) >= FUsed.size() || !FUsed[size_t(Index)]) return;
    FUsed[size_t(Index)] = false;
    FImages[size_t(Index)] = QImage();
    --FCount;
}

static TGlyphCache* TheCache = nullptr;

TGlyphCache* TGlyphCache::Instance() { return TheCache; }
int TGlyphCache::ListCount() { return TheCache ? int(TheCache->FLists.size()) : 0; }

TGlyphCache* TGlyphCache::Acquire()
{
    if (!TheCache) TheCache = new TGlyphCache;
    ++TheCache->FUsers;
    return TheCache;
}

void TGlyphCache::Release()
{
    if (!TheCache) return;
    if (--TheCache->FUsers <= 0 && TheCache->FLists.empty()) {
        delete TheCache;
        TheCache = nullptr;
    }
}

TGlyphList* TGlyphCache::GetList(int Width, int Height)
{
    for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
        if ((*it)->CellWidth == Width && (*it)->CellHeight == Height) return it->get();
    FLists.push_back(std::make_unique<TGlyphList>(Width, Height));
    return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* List)
{
    if (!List || List->Count() > 0) return;
    FLists.erase(std::remove_if(FLists.begin(), FLists.end(), [List](const auto& l) { return l.get() == List; }),
                 FLists.end());
}

// ---- the glyph ----

TButtonGlyph::TButtonGlyph() { TGlyphCache::Acquire(); }

TButtonGlyph::~TButtonGlyph()
{
    DropImages();
    TGlyphCache::Release();
}

void TButtonGlyph::SetGlyph(const QImage& Strip)
{
    DropImages();
    FGlyph = Strip.convertToFormat(QImage::Format_RGB32);
    if (Strip.isNull()) FGlyph = QImage();
    if (FGlyph.height() > 0) {
        FTransparent = FGlyph.pixel(0, FGlyph.height() - 1) | 0xFF000000u;
        FNumGlyphs = NumGlyphsFor(FGlyph.size(), FNumGlyphs);
    } else {
        FNumGlyphs = 1;
    }
    if (OnChange) OnChange();
}

void TButtonGlyph::SetNumGlyphs(int Value)
{
    if (Value <= 0) return;
    Value = std::min(Value, 4);
    if (Value == FNumGlyphs) return;
    DropImages();
    FNumGlyphs = Value;
    if (OnChange) OnChange();
}

void TButtonGlyph::DropImages()
{
    for (int& i : FIndex) {
        if (i >= 0 && FList) FList->Delete(i);
        i = -1;
    }
    if (FList && TGlyphCache::Instance()) TGlyphCache::Instance()->ReturnList(FList);
    FList = nullptr;
}

QImage TButtonGlyph::Cell(int N) const
{
    const int w = FGlyph.width() / FNumGlyphs;
    return FGlyph.copy(N * w, 0, w, FGlyph.height());
}

// Pixels of Colour become fully transparent.
static QImage Masked(QImage Image, QRgb Colour)
{
    Image = Image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < Image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(Image.scanLine(y));
        for (int x = 0; x < Image.width(); ++x)
            if ((line[x] | 0xFF000000u) == (Colour | 0xFF000000u)) line[x] = 0;
    }
    return Image;
}

int TButtonGlyph::MakeStateImage(int State, const TSystemColors& C)
{
    if (State < 0 || State > 3) State = 0;
    if (State == bsDown && FNumGlyphs < 3) State = bsUp;
    if (FIndex[State] >= 0) return FIndex[State];
    if (FGlyph.width() <= 0 || FGlyph.height() <= 0) return -1;
    const int w = FGlyph.width() / FNumGlyphs, h = FGlyph.height();
    if (w <= 0) return -1;
    if (!FList) FList = TGlyphCache::Instance()->GetList(w, h);

    const int n = State >= FNumGlyphs ? 0 : State;
    QImage image;
    if (State != bsDisabled) {
        image = Masked(Cell(n), FTransparent);
    } else if (FNumGlyphs == 1) {
        // Embossed: the black pixels of the glyph in highlight one pixel right
        // and down, then in shadow in place, on the button face.
        const QImage cell = Cell(0);
        QImage work(w, h, QImage::Format_RGB32);
        work.fill(C.ButtonFace);
        const QRgb black = qRgb(0, 0, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((cell.pixel(x, y) | 0xFF000000u) == black && x + 1 < w && y + 1 < h)
                    work.setPixel(x + 1, y + 1, C.ButtonHighlight.rgb());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((cell.pixel(x, y) | 0xFF000000u) == black) work.setPixel(x, y, C.ButtonShadow.rgb());
        image = Masked(work, C.ButtonFace.rgb());
    } else {
        // Cell 1 with white in highlight and grey in shadow.
        const QImage cell = Cell(1);
        image = QImage(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = cell.pixel(x, y) | 0xFF000000u;
                QRgb out = p;
                if (p == (FTransparent | 0xFF000000u))
                    out = 0;
                else if (p == qRgb(255, 255, 255))
                    out = C.ButtonHighlight.rgb();
                else if (p == qRgb(128, 128, 128))
                    out = C.ButtonShadow.rgb();
                image.setPixel(x, y, out);
            }
    }
    FIndex[State] = FList->Add(image);
    return FIndex[State];
}

const QImage* TButtonGlyph::StateImage(int State, const TSystemColors& Colors)
{
    const int i = MakeStateImage(State, Colors);
    return i >= 0 && FList ? &FList->Image(i) : nullptr;
}
