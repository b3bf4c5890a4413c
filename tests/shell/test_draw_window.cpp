// A network file opened in the program is drawn in its window: the Chicago
// sketch network (public test data) saved as a network file with classes,
// a title block and legends, opened through the file driver, painted (a
// grid of the same kinds stands in where the public data is not present).
// TARVEX_DRAW_GRAB=<file.png> keeps the window's picture.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QMdiSubWindow>
#include <QTextStream>

#include <set>
#include <sstream>

#include "../core/net_window.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "program_fixture.h"

namespace {

class TDriverIO : public TNetworkIO {
public:
    bool Open(TSketchPadWindow& Pad, const std::string& FileName, bool Append, bool, TMessageSink& Boxes) override
    {
        return OpenNetworkFile(*Pad.Network, Pad.Settings, FileName, !Append, Boxes).Status == TOpenStatus::Ok;
    }
    bool Save(TSketchPadWindow& Pad, const std::string& FileName, int Version, TMessageSink& Boxes) override
    {
        return SaveNetworkFile(*Pad.Network, Pad.Settings, FileName, Version, Boxes).Ok;
    }
};

// Rows of a TNTP table: the numbers of each line after the metadata.
std::vector<std::vector<double>> ReadTntp(const QString& path)
{
    std::vector<std::vector<double>> rows;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return rows;
    bool body = !path.endsWith("_net.tntp");
    while (!f.atEnd()) {
        std::string line = f.readLine().toStdString();
        if (line.find("<END OF METADATA>") != std::string::npos) {
            body = true;
            continue;
        }
        if (!body || line.find('~') != std::string::npos) continue;
        std::istringstream in(line);
        std::vector<double> v;
        double d;
        while (in >> d) v.push_back(d);
        if (v.size() >= 2) rows.push_back(v);
    }
    return rows;
}

bool BuildChicago(const std::string& path)
{
    const QString dir = QString(TARVEX_SHARED_DATA) + "/tntp/Chicago-Sketch/";
    auto nodes = ReadTntp(dir + "ChicagoSketch_node.tntp");
    auto links = ReadTntp(dir + "ChicagoSketch_net.tntp");
    if (nodes.size() < 100 || links.size() < 100) return false;
    TNetWindow net;
    TEntityClass& nc = *net.NodeClasses;
    TEntityClass& lc = *net.LinkClasses;
    nc[0].Name = lc[0].Name = "Undefined";
    nc[1].Name = "Zone";
    nc[1].Width = 3;
    nc[1].Color = 6;
    nc[2].Name = "Intersection";
    nc[2].Width = 10;
    nc[2].Color = 1;
    const char* linkNames[] = {"", "Arterial", "Freeway", "Connector", "Ramp", "Other"};
    const int linkColors[] = {0, 4, 2, 9, 8, 5};
    for (int c = 1; c <= 5; ++c) {
        lc[c].Name = linkNames[c];
        lc[c].Color = linkColors[c];
        lc[c].Width = c == 2 ? 2 : 1;
        net.Widths.LinkClassLegend[size_t(c)] = 1;
    }
    net.Widths.NodeClassLegend[1] = net.Widths.NodeClassLegend[2] = 1;
    double minX = 1e18, minY = 1e18;
    for (auto& r : nodes) minX = std::min(minX, r[1]), minY = std::min(minY, r[2]);
    std::vector<TNode*> byId(nodes.size() + 2, nullptr);
    for (auto& r : nodes) {
        const int id = int(r[0]);
        if (id < 1 || size_t(id) >= byId.size()) continue;
        THashEntry* cell;
        // Feet to world units of 100 feet, Y growing downward.
        TNode* n = AddNode(net, int32_t((r[1] - minX) / 100), int32_t(1300 - (r[2] - minY) / 100), cell, false, 0);
        n->EntityType = id <= 387 ? 1 : 2;
        n->Name = std::to_string(id);
        byId[size_t(id)] = n;
        ++net.NodeCount;
    }
    for (auto& r : links) {
        const int a = int(r[0]), b = int(r[1]);
        if (a < 1 || b < 1 || size_t(a) >= byId.size() || size_t(b) >= byId.size() || !byId[size_t(a)] ||
            !byId[size_t(b)])
            continue;
        TLink *ha, *hb;
        TLinkValues* l = AddLink(net, byId[size_t(a)], byId[size_t(b)], false, 0, ha, hb);
        const int type = r.size() >= 10 ? int(r[9]) : 5;
        l->EntityType = uint8_t(type >= 1 && type <= 5 ? type : 5);
    }
    RecomputeExtents(net);
    // Title and legends in font slot 1, large enough to read at 1:9.
    net.Labels.FontRecords[1].Height = -130;
    net.Labels.FontRecords[1].Weight = 700;
    net.Description.Project = "Chicago sketch network";
    net.Description.ShowProject = 1;
    net.Description.ProjectFont = 1;
    net.Description.X = net.MinX + 2600;
    net.Description.Y = net.MinY + 100;
    net.Description.DrawBox = 1;
    net.Widths.NodeLegendFont = net.Widths.LinkLegendFont = 1;
    net.Widths.NodeLegendX = net.MinX + 100;
    net.Widths.NodeLegendY = net.MinY + 100;
    net.Widths.LinkLegendX = net.MinX + 100;
    net.Widths.LinkLegendY = net.MinY + 500;
    net.Widths.LinkDrawBox = 1;
    TMessageSinkRecorder sink;
    return SaveNetworkFile(net, path, 9, sink).Ok;
}

} // namespace

TEST(DrawWindow, AnOpenedNetworkIsDrawnAsStyled)
{
    TDriverIO io;
    programtest::TProgram program;
    const std::string path = program.Path("chicago.dta");
    const QString data = QString(TARVEX_SHARED_DATA) + "/tntp/Chicago-Sketch/ChicagoSketch_net.tntp";
    if (!QFile::exists(data)) GTEST_SKIP() << "the public Chicago sketch network is missing: " << data.toStdString();
    ASSERT_TRUE(BuildChicago(path));

    program.Start({.CommandLineFile = path,
                   .IO = &io,
                   .Before = [](TZOKMainWindow& m) { m.resize(1100, 900); }});
    TZOKMainWindow* main = program.Main.get();
    ASSERT_EQ(main->PadCount(), 1);
    TSketchPadWindow* pad = main->SketchPads[0];
    ASSERT_GT(pad->Network->LinkCount, 1000);
    pad->ApplyZoom(7, 0, false, 0); // 1:9: the whole network
    pad->View.ZoomIndex = 7;
    if (pad->SubWindow) pad->SubWindow->showMaximized();
    QCoreApplication::processEvents();

    const QImage shot = pad->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("TARVEX_DRAW_GRAB")) shot.save(qEnvironmentVariable("TARVEX_DRAW_GRAB"));
    // Freeways blue, arterials red, connectors grey, zone symbols dark green.
    std::set<QRgb> colours;
    int inked = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb c = shot.pixel(x, y);
            if (c != qRgb(255, 255, 255)) ++inked, colours.insert(c & 0xFFFFFF);
        }
    EXPECT_GT(inked, 5000);
    EXPECT_TRUE(colours.count(0x0000FF));
    EXPECT_TRUE(colours.count(0xFF0000));
    EXPECT_TRUE(colours.count(0x7F7F7F));
    EXPECT_TRUE(colours.count(0x007F00));
}
