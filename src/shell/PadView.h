// The per-window state of a sketch-pad window: the view record that engines
// read (zoom, cursor, origin, scale, picks, saved flag, the link to the
// window's settings) and the window's own extents, mode and display switches.
// Plain data; the window owns one, views copy it from their source.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/calc/CalcProgram.h"
#include "core/edit/PadObjects.h"
#include "core/model/Network.h"
#include "shell/Viewport.h"

constexpr int ToolbarCount = 5; // Sketch Modes, Sketch Operations, Labels, Widths and Sizes, Snap Controls

struct TPadView : TViewRecord {
    // state (Saved: 1 saved, 0 modified, in the view record)
    uint8_t SketchMode = 0;
    // copies of the last print (from the print dialog)
    int32_t PlotCopies = 1;
    // extents and viewport (world units)
    int32_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
    int32_t ScrollOffsetX = 0, ScrollOffsetY = 0;
    // display switches of this window
    uint8_t ShowPlotMargins = 0;
    uint8_t DarkCursor = 0;
    uint8_t ZoomInState = 0, ZoomOutState = 0;
    std::array<uint8_t, ToolbarCount> ToolbarShown{};
    uint8_t AutoBackup = 1;
    // The title block and legends as the last paint drew them (world units).
    TObjectBoxes ObjectBoxes;
    // when the window was made or its network last saved (ms since the epoch)
    int64_t CreatedTime = 0;
    // The last table Extract wrote, and the widths file the window last put
    // (the next Put Widths offers it), as the disk spells them.
    std::string LastExtractFile;
    std::string WidthsFile;
    // The element an open dialog edits: drawn without its label meanwhile.
    const TNode* EditedNode = nullptr;
    const TLinkValues* EditedLink = nullptr;
    // The Calculate program, its variables and tables belong to the window,
    // not to the network its views share.
    TCalcProgram CalcProgram;

    // Every field to its default; the link to the window's settings stays.
    void Reset();
    // Origin from the extents: 10 - MinX, 10 - MinY.
    void SetOriginFromExtents()
    {
        OriginX = 10 - MinX;
        OriginY = 10 - MinY;
    }
    // New extents, and the origin from them.
    void SetExtents(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY)
    {
        MinX = minX;
        MinY = minY;
        MaxX = maxX;
        MaxY = maxY;
        SetOriginFromExtents();
    }
};
