// The program folder: where the help pages and the symbol bitmaps live. It is
// the executable's folder when that holds them, else the installed data folder.
// Folder and file names here are as the disk spells them (platform/FileNames.h).
#pragma once

#include <array>
#include <string>
#include <vector>

#include <QPixmap>

// The folder of the running executable, without a trailing separator.
std::string ExecutableDir();
// The executable's folder when it holds the program's data ("help" folder or
// symbol bitmaps), else <prefix>/share/tarvex beside it when that exists, else
// the executable's folder.
std::string ProgramDirectory();

// Node, fill and link symbols read from "ZOKNode<n>.bmp", "ZOKFill<n>.bmp",
// "ZOKLink<n>.bmp" (n = 1..240). The index arrays give the position of symbol n
// in its list, -1 when the file is missing or unusable.
struct TSymbolBitmaps {
    static constexpr int MaxSymbols = 240;
    std::vector<QPixmap> NodeBitmaps, FillBitmaps, LinkBitmaps;
    std::array<int, MaxSymbols + 1> NodeBitmapIndex{}, FillBitmapIndex{}, LinkBitmapIndex{};

    TSymbolBitmaps();
    void Load(const std::string& Dir);
};

// Bits per pixel of a BMP file as its header states it, 0 when the file is not
// a readable BMP.
int BmpBitsPerPixel(const std::string& FileName);
