// The glyph of a toolbar button: a strip of equal cells (up, disabled, down,
// exclusive), cut into state images on first use and kept in image lists of
// one cell size that all buttons share.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QImage>

#include "platform/SystemColors.h"

// Images of one cell size; freed slots are reused.
class TGlyphList {
public:
    TGlyphList(int Width, int Height) : CellWidth(Width), CellHeight(Height) {}
    const int CellWidth, CellHeight;
    int Add(const QImage& Image);
    void Delete(int Index);
    const QImage& Image(int Index) const { return FImages[size_t(Index)]; }
    int Count() const { return FCount; }
    int Slots() const { return int(FImages.size()); }

private:
    std::vector<QImage> FImages;
    std::vector<bool> FUsed;
    int FCount = 0;
};

// The program's image lists, one per cell size. It lives while a glyph does.
class TGlyphCache {
public:
    static TGlyphCache* Instance(); // nullptr when none lives
    static int ListCount();
    TGlyphList* GetList(int Width, int Height);
    void ReturnList(TGlyphList* List);

private:
    friend class TButtonGlyph;
    static TGlyphCache* Acquire();
    static void Release();
    std::vector<std::unique_ptr<TGlyphList>> FLists;
    int FUsers = 0;
};

class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    const QImage& Glyph() const { return FGlyph; }
    // A copy of Strip; its bottom-left pixel is the transparent colour, and a
    // strip whose width is a multiple of its height has that many cells (up to 4).
    void SetGlyph(const QImage& Strip);
    int NumGlyphs() const { return FNumGlyphs; }
    // Above 4 gives 4; 0 is ignored.
    void SetNumGlyphs(int Value);
    QRgb TransparentColor() const { return FTransparent; }

    // The image of a state (made now when not made yet); nullptr without a glyph.
    const QImage* StateImage(int State, const TSystemColors& Colors);
    int MakeStateImage(int State, const TSystemColors& Colors);
    // Drops every state image (a new glyph, cell count or system colours).
    void DropImages();
    TGlyphList* List() const { return FList; }

    std::function<void()> OnChange;

private:
    QImage Cell(int N) const;
    QImage FGlyph;
    int FNumGlyphs = 1;
    QRgb FTransparent = qRgb(128, 128, 0);
    int FIndex[4] = {-1, -1, -1, -1};
    TGlyphList* FList = nullptr;
};
