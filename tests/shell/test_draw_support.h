// A small network with the settings records of one window, for drawing tests.
#pragma once

#include <memory>

#include <QImage>

#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "shell/NetworkDraw.h"

struct TDrawFixture {
    TNetwork Net;
    TViewRecord View;
    TWindowSettings Settings;
    TDisplaySettings& Display = Settings.Display;
    TWidthSettings& Widths = Settings.Widths;
    TLabelSettings& Labels = Settings.Labels;
    TDescription& Title = Settings.Description;
    TSymbolImages Images;
    TDrawPad Pad;

    TDrawFixture()
    {
        View.Settings = &Settings;
        Pad.Net = &Net;
        Pad.View = &View;
        Pad.Display = &Display;
        Pad.Widths = &Widths;
        Pad.Labels = &Labels;
        Pad.Title = &Title;
        Pad.Images = &Images;
        Pad.WindowNumber = 1;
    }

    TNode* Node(int32_t x, int32_t y, uint8_t cls = 0)
    {
        THashEntry* cell = nullptr;
        TNode* n = AddNode(Net, x, y, cell, false, 0);
        n->EntityType = cls;
        return n;
    }
    TLinkValues* Link(TNode* a, TNode* b, uint8_t cls = 0)
    {
        TLink *ha = nullptr, *hb = nullptr;
        TLinkValues* l = AddLink(Net, a, b, false, 0, ha, hb);
        l->EntityType = cls;
        return l;
    }
    // Draws at 1:1 (or the scale) into a white image of w x h.
    QImage Paint(int w, int h, double scale = 1.0, TDrawRun* runIn = nullptr)
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        TQPainterCanvas c(p);
        TDrawRun run;
        PaintNetwork(Pad, c, scale, 0, 0, runIn ? *runIn : run);
        p.end();
        return img;
    }
    TRecordingCanvas Record(TDrawRun* runIn = nullptr)
    {
        TRecordingCanvas c;
        TDrawRun run;
        DrawNetwork(Pad, c, c.Clip, 1.0, 0, 0, false, false, runIn ? *runIn : run);
        return c;
    }
};

// Compares with (or, with TARVEX_UPDATE_GOLDEN set, writes) a PNG in
// tests/data/draw/. Exact pixel equality.
inline bool MatchesGolden(const QImage& image, const char* name)
{
    const QString path = QString(TARVEX_TEST_DATA) + "/draw/" + name;
    if (qEnvironmentVariableIsSet("TARVEX_UPDATE_GOLDEN")) return image.save(path, "PNG");
    QImage golden(path);
    if (golden.isNull()) return false;
    return golden.convertToFormat(QImage::Format_RGB32) == image.convertToFormat(QImage::Format_RGB32);
}
