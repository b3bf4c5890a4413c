// The transform dialogs' OK without the dialogs: texts to limited amounts or
// failed texts, the running totals, the undo record, and the call.
#include "core/edit/TransformRequest.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "../net_window.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/model/Undo.h"
#include "test_edit_support.h"

using namespace edittest;

namespace {

struct TransformRequestTest : ::testing::Test {
    TNetWindow Net;
    TViewRecord View;
    TMessageSinkRecorder Boxes;
    std::mt19937_64 Random{1};
    ExpressionContext Context;
    TNode* P = nullptr;
    int Calls = 0;
    bool Refuse = false;

    void SetUp() override
    {
        View.Settings = &Net.Settings();
        P = Node(Net, 1000, 2000);
    }
    TTransformOutcome Run(int kind, const std::string& a, const std::string& b = "", bool exempt = false)
    {
        TExprBinding binding(Net, &View, &Random);
        TTransformRequest r;
        r.Kind = kind;
        r.Texts = {a, b};
        r.ExemptUnseenLayers = exempt;
        return RunTransformRequest(Net, Net.Layers.LayerStates, r, Context, binding.Env, Boxes,
                                   [this](int k, TTransformParams& p) {
                                       ++Calls;
                                       return !Refuse && TransformNetwork(Net, View, Net.Settings(), k, p);
                                   });
    }
};

} // namespace

TEST_F(TransformRequestTest, ScaleAndTranslateLimits)
{
    // Factors below 0.01 (zero and negatives too) rise to 0.01; -1 mirrors; above 100 is 100.
    EXPECT_EQ(ClampScaleFactor(0), 0.01);
    EXPECT_EQ(ClampScaleFactor(-0.5), 0.01);
    EXPECT_EQ(ClampScaleFactor(0.001), 0.01);
    EXPECT_EQ(ClampScaleFactor(-1), -1);
    EXPECT_EQ(ClampScaleFactor(1000), 100);

    TTransformOutcome o = Run(TransformScale, "0", "-1");
    ASSERT_TRUE(o.Applied);
    EXPECT_EQ(o.Amount1, 0.01);
    EXPECT_EQ(o.Amount2, -1);
    EXPECT_EQ(P->X, 10);
    EXPECT_EQ(P->Y, -2000);
    o = Run(TransformScale, "1000", "1/2");
    EXPECT_EQ(o.Amount1, 100);
    EXPECT_EQ(o.Amount2, 0.5);
    EXPECT_DOUBLE_EQ(Net.TransformTotals[2], 1.0);
    EXPECT_DOUBLE_EQ(Net.TransformTotals[3], -0.5);

    o = Run(TransformTranslate, "600000", "-600000");
    EXPECT_EQ(o.Amount1, 512000);
    EXPECT_EQ(o.Amount2, -512000);
    o = Run(TransformTranslate, "0.5", "2*3");
    EXPECT_DOUBLE_EQ(Net.TransformTotals[0], 512000.5);
    EXPECT_DOUBLE_EQ(Net.TransformTotals[1], -511994);
    EXPECT_TRUE(Boxes.Calls.empty());
    EXPECT_EQ(Net.TransformUndo.GetCount(), 4);
}

TEST_F(TransformRequestTest, RotationTotalsAndRefusal)
{
    EXPECT_EQ(AddRotationTotal(20, 350), 10);
    EXPECT_EQ(AddRotationTotal(10, -20), 350);
    EXPECT_EQ(AddRotationTotal(0, 360), 360);

    ASSERT_TRUE(Run(TransformRotate, "20").Applied);
    ASSERT_TRUE(Run(TransformRotate, "350").Applied);
    EXPECT_DOUBLE_EQ(Net.TransformTotals[4], 10);

    // 400 degrees: the box, nothing red, nothing changed.
    const int32_t x = P->X;
    TTransformOutcome o = Run(TransformRotate, "400");
    EXPECT_FALSE(o.Applied);
    EXPECT_FALSE(o.Failed[0]);
    ASSERT_EQ(Boxes.Calls.size(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Rotate");
    EXPECT_EQ(Boxes.Last().Caption, "Expression Error");
    EXPECT_EQ(Boxes.Last().Flags, MB_STOP_OK);
    EXPECT_EQ(P->X, x);
    EXPECT_DOUBLE_EQ(Net.TransformTotals[4], 10);
    EXPECT_EQ(Net.TransformUndo.GetCount(), 2);
    EXPECT_TRUE(Run(TransformRotate, "-360").Applied);
}

TEST_F(TransformRequestTest, FailedTextsChangeNothing)
{
    Net.Modified = false;
    const int calls = Calls;
    for (auto [a, b] : {std::pair{"1/", "1"}, {"2", "1E999"}, {"1/0", "(1"}, {"'a'+", "2"}}) {
        Boxes.Clear();
        TTransformOutcome o = Run(TransformScale, a, b);
        EXPECT_FALSE(o.Applied) << a << ' ' << b;
        EXPECT_EQ(Boxes.Calls.size(), 1u);
        EXPECT_EQ(Boxes.Last().Text, "Scale");
    }
    TTransformOutcome o = Run(TransformTranslate, "1/", "2");
    EXPECT_TRUE(o.Failed[0]);
    EXPECT_FALSE(o.Failed[1]);
    o = Run(TransformScale, "2", "1E999");
    EXPECT_FALSE(o.Failed[0]);
    EXPECT_TRUE(o.Failed[1]); // out of range
    EXPECT_EQ(Calls, calls);
    EXPECT_EQ(P->X, 1000);
    EXPECT_EQ(Net.TransformUndo.GetCount(), 0);
    EXPECT_EQ(Net.TransformTotals, (std::array<double, 5>{0, 0, 1, 1, 0}));
    EXPECT_FALSE(Net.Modified);
}

TEST_F(TransformRequestTest, UndoRecordVariablesAndARefusedCall)
{
    // The amounts read the context's variables and the system attributes.
    Context.Variables[1] = 3;
    Net.Layers.LayerStates[4] = 0;
    Node(Net, 50, 50)->Layer = 4;
    TTransformOutcome o = Run(TransformTranslate, "2*V1", "-V1", true);
    ASSERT_TRUE(o.Applied);
    EXPECT_EQ(o.Amount1, 6);
    ASSERT_EQ(Net.TransformUndo.GetCount(), 1);
    const TTransformItem* item = Net.TransformUndo.At(0);
    EXPECT_EQ(item->TransformKind, TransformTranslate);
    EXPECT_EQ(item->Amount1, 6);
    EXPECT_EQ(item->Amount2, -3);
    EXPECT_EQ(item->ExemptUnseenLayers, 1);
    EXPECT_EQ(item->LayerStates[4], 0);
    // The node on the unseen layer stayed; undo puts the other back.
    TTransformParams u;
    ASSERT_TRUE(TransformNetwork(Net, View, Net.Settings(), TransformUndoLast, u));
    EXPECT_EQ(P->X, 1000);
    EXPECT_EQ(P->Y, 2000);
    EXPECT_DOUBLE_EQ(Net.TransformTotals[0], 0);

    // A transform that does not run leaves neither a record nor new totals.
    Refuse = true;
    o = Run(TransformScale, "2", "2");
    EXPECT_FALSE(o.Applied);
    EXPECT_TRUE(Boxes.Calls.empty());
    EXPECT_EQ(Net.TransformUndo.GetCount(), 0);
    EXPECT_EQ(Net.TransformTotals[2], 1);
    ExpectConsistent(Net);
}

// An undo moves back exactly what its transform moved: not a node the
// transform left on a layer hidden then (and shown at the zoom of the undo),
// nor what an append added since.
TEST_F(TransformRequestTest, UndoMovesOnlyWhatTheTransformMoved)
{
    TNode* left = Node(Net, 200, 100);
    left->Layer = 5;
    Net.Layers.LayerStates[5] = 14; // shown from zoom level 14 on
    View.ZoomIndex = 13;
    ASSERT_TRUE(Run(TransformTranslate, "1000", "0", true).Applied);
    EXPECT_EQ(left->X, 200);
    EXPECT_EQ(P->X, 2000);

    // A file whose nodes lie where the window's now are.
    TNetWindow other;
    TLinkValues* r = Link(other, Node(other, 1000, 0), Node(other, 1100, 0));
    Shape(other, r, 1050, 50);
    RecomputeExtents(other);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tarvex-append-" + std::to_string(::getpid()) + ".dta")).string();
    ASSERT_TRUE(SaveNetworkFile(other, path, 9, Boxes).Ok);
    ASSERT_EQ(OpenNetworkFile(Net, path, false, Boxes).Status, TOpenStatus::Ok);
    std::filesystem::remove(path);
    EXPECT_TRUE(Boxes.Calls.empty());

    View.ZoomIndex = 15; // the layer is shown now
    TTransformParams u;
    ASSERT_TRUE(TransformNetwork(Net, View, Net.Settings(), TransformUndoLast, u));
    EXPECT_EQ(P->X, 1000);
    EXPECT_EQ(left->X, 200);
    EXPECT_EQ(left->Y, 100);
    std::vector<std::pair<int32_t, int32_t>> appended;
    ForEachLink(Net, [&](TLink* h) {
        const TLinkValues* l = h->LinkValues;
        appended.emplace_back(l->ANode->X, l->BNode->X);
        for (TShapePoint* sp : l->ShapePoints) appended.emplace_back(sp->X, sp->Y);
    });
    EXPECT_EQ(appended, (std::vector<std::pair<int32_t, int32_t>>{{1000, 1100}, {1050, 50}}));
    ExpectConsistent(Net);
}

// The driver beside this test program, over a file written here.
TEST(TransformDriver, StepsTotalsAndRefusals)
{
    namespace fs = std::filesystem;
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path dir = fs::temp_directory_path() / ("tarvex-transform-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    TNetWindow net;
    TNode* a = Node(net, 100, 0);
    TNode* hidden = Node(net, 200, 0);
    hidden->Layer = 2;
    net.Layers.LayerStates[2] = 0;
    Link(net, a, hidden);
    RecomputeExtents(net);
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, (dir / "in.dta").string(), 9, sink).Ok);

    auto run = [&](const std::string& args, int& rc) {
        const std::string cmd = "'" + (bin / "net-transform").string() + "' '" + (dir / "in.dta").string() + "' '" +
                                (dir / "out.dta").string() + "' " + args + " > '" + (dir / "log").string() + "'";
        rc = WEXITSTATUS(std::system(cmd.c_str()));
        std::ifstream f(dir / "log");
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    };
    int rc = 0;
    EXPECT_EQ(run("scale 0 -1 exempt rotate 90 rotate 400 translate '1/' 600000 undo undo undo", rc),
              "scale 0.01 -1\nrotate 90\nRotate\nExpression Error\nTranslate\nExpression Error\nred 1\n"
              "undo\nundo\nundo none\ntotals 0 0 1 1 0\n");
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(run("translate 0.4 0.4 translate 0.4 1e-1 exempt rotate 90", rc),
              "translate 0.4 0.4\ntranslate 0.4 0.1\nrotate 90\ntotals 0.8 0.5 1 1 90\n");
    EXPECT_EQ(rc, 0);
    TNetWindow out;
    ASSERT_EQ(OpenNetworkFile(out, (dir / "out.dta").string(), true, sink).Status, TOpenStatus::Ok);
    std::vector<std::pair<int32_t, int32_t>> xy;
    ForEachNode(out, [&](TNode* n) { xy.emplace_back(n->X, n->Y); });
    std::sort(xy.begin(), xy.end());
    // (100.8, 0.5) turned a quarter; the node on the never-shown layer only
    // moved with the translations.
    EXPECT_EQ(xy, (std::vector<std::pair<int32_t, int32_t>>{{0, 101}, {201, 0}}));
    fs::remove_all(dir);
}
