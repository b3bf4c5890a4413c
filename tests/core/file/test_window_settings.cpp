// What a window keeps of its network in the file: layer states that reach
// everything that reads them, and the names of the classes no user defines.
#include <gtest/gtest.h>

#include <sstream>

#include "core/edit/Transforms.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/model/NetworkQueries.h"
#include "netfile_fixture.h"

using namespace netfiletest;

namespace {

// The lines of a file, without their line ends.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

// How many lines begin with text.
int LinesStartingWith(const std::string& file, const std::string& text)
{
    int n = 0;
    for (const std::string& line : Lines(file)) n += line.compare(0, text.size(), text) == 0 ? 1 : 0;
    return n;
}

double Evaluate(const TNetwork& net, const TViewRecord& view, std::string text)
{
    TExprBinding binding(net, &view, nullptr);
    ExpressionContext ctx;
    ExprStrings strings{};
    TExprElement element;
    int32_t error = 0;
    const double v = EvaluateExpression(text, error, ctx, strings, element, binding.Env);
    EXPECT_EQ(error, 0) << text;
    return v;
}

} // namespace

TEST(WindowSettingsFile, ANeverLayerStaysHiddenForEveryReaderAndSavesBackUnchanged)
{
    // A file whose layer 3 is "Never" (state 0) and layer 4 shown from zoom 14.
    TNetWindow made;
    TNode* shown = Node(made, 0, 0, 0, "Shown");
    TNode* never = Node(made, 100, 0, 0, "Never");
    never->Layer = 3;
    Link(made, shown, never, 0);
    made.Layers.LayerStates[3] = 0;
    made.Layers.LayerStates[4] = 14;
    made.Layers.LayerNames[3] = "Hidden streets";
    RecomputeExtents(made);
    TMessageSinkRecorder rec;
    const std::string path = TempPath("never-layer.dta");
    ASSERT_TRUE(SaveNetworkFile(made, path, 9, rec).Ok);

    TNetWindow window;
    ASSERT_EQ(OpenNetworkFile(window, path, true, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ(window.Layers.LayerStates[3], 0);
    EXPECT_EQ(window.Layers.LayerNames[3], "Hidden streets");

    // The view of the window reads the layers from the window's settings.
    TViewRecord view;
    view.Settings = &window.Settings();
    TNode* hidden = FindNodeByName(window, "Never", nullptr);
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(IsLayerVisible(view, hidden));
    EXPECT_TRUE(IsLayerVisible(view, 1));
    EXPECT_FALSE(IsLayerVisible(view, 4)); // zoom 13
    EXPECT_EQ(Evaluate(window, view, "LAYER(3)"), 0);
    EXPECT_EQ(Evaluate(window, view, "LAYER(1)"), 1);
    view.ZoomIndex = 14;
    EXPECT_EQ(Evaluate(window, view, "LAYER(4)"), 1);
    view.ZoomIndex = 13;

    // A transform that exempts unseen layers leaves the node on layer 3 alone.
    TTransformParams t;
    t.TranslateX = 50;
    t.ShownLayersOnly = 1;
    ASSERT_TRUE(TransformNetwork(window, view, window.Settings(), TransformTranslate, t));
    EXPECT_EQ(hidden->X, 100);
    EXPECT_EQ(FindNodeByName(window, "Shown", nullptr)->X, 50);
    t.TranslateX = -50; // back to where the file had it
    ASSERT_TRUE(TransformNetwork(window, view, window.Settings(), TransformTranslate, t));

    // Saved again, the layer section is what the file held.
    const std::string again = TempPath("never-layer-again.dta");
    ASSERT_TRUE(SaveNetworkFile(window, again, 9, rec).Ok);
    EXPECT_TRUE(ReadAll(again) == ReadAll(path)) << DiffLine(ReadAll(again), ReadAll(path));
}

TEST(WindowSettingsFile, ClassZeroIsUndefinedInEveryVersion)
{
    TNetWindow fresh;
    EXPECT_EQ((*fresh.NodeClasses)[0].Name, "Undefined");
    EXPECT_EQ((*fresh.LinkClasses)[0].Name, "Undefined");
    EXPECT_EQ((*fresh.LinkClasses)[0].Color, 2);
    EXPECT_EQ((*fresh.SystemClass)[0].Name, "Undefined");
    EXPECT_EQ((*fresh.SystemClass)[1].Name, "System Attributes");
    EXPECT_EQ(CountEntityTypes(*fresh.NodeClasses), 0); // named, yet no class of the user's

    TMessageSinkRecorder rec;
    for (int v : {1, 3, 4, 5, 6, 7, 8, 9}) {
        const std::string path = TempPath("undefined-v" + std::to_string(v) + ".dta");
        ASSERT_TRUE(SaveNetworkFile(fresh, path, v, rec).Ok);
        // One line for node class 0, one for link class 0.
        EXPECT_EQ(LinesStartingWith(ReadAll(path), "Undefined "), 2) << "version " << v;
    }

    // A version 1 file from elsewhere, with blanks where class 0 is named,
    // reads into a new network that keeps the names and writes them.
    TNetWindow old;
    (*old.NodeClasses)[0].Name.clear();
    (*old.LinkClasses)[0].Name.clear();
    const std::string v1 = TempPath("blank-class0.dt1");
    ASSERT_TRUE(SaveNetworkFile(old, v1, 1, rec).Ok);
    ASSERT_EQ(LinesStartingWith(ReadAll(v1), "Undefined "), 0);
    TNetWindow opened;
    ASSERT_EQ(OpenNetworkFile(opened, v1, true, rec).Status, TOpenStatus::Ok);
    const std::string v9 = TempPath("blank-class0-v9.dta");
    ASSERT_TRUE(SaveNetworkFile(opened, v9, 9, rec).Ok);
    EXPECT_EQ(LinesStartingWith(ReadAll(v9), "Undefined "), 2);

    // Freeing a network gives the same classes again.
    (*opened.NodeClasses)[0].Name = "Mine";
    FreeNetwork(opened);
    EXPECT_EQ((*opened.NodeClasses)[0].Name, "Undefined");
    EXPECT_EQ((*opened.SystemClass)[1].Name, "System Attributes");
}
