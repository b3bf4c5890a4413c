#include "display/TransformDialogs.h"

#include <random>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/edit/TransformRequest.h"
#include "core/expr/ExpressionNetwork.h"
#include "display/DisplaySupport.h"
#include "platform/Latin1.h"
#include "shell/EditingMouse.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

TTransformDB::TTransformDB(TSketchPadWindow& Pad, int AKind, QWidget* Parent) : QDialog(Parent), Kind(AKind), FPad(Pad)
{
    setWindowTitle(TransformCaption(Kind));
    const auto& totals = Pad.Network->TransformTotals;
    static const char* names[3][2] = {
        {"XTranslateEB", "YTranslateEB"}, {"XScaleEB", "YScaleEB"}, {"RotateEB", nullptr}};
    const int texts = TransformTextCount(Kind);
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < texts; ++i) {
        const char* caption = Kind == TransformRotate ? "A:" : i == 0 ? "X:" : "Y:";
        grid->addWidget(new QLabel(caption, this), i, 0);
        Edits[i] = new QLineEdit(Kind == TransformScale ? "1" : "0", this);
        Edits[i]->setObjectName(names[Kind][i]);
        Edits[i]->setMaxLength(255);
        grid->addWidget(Edits[i], i, 1);
        QLabel* total = new QLabel(this);
        total->setObjectName(i == 0 ? "XStatic" : "YStatic");
        // The running totals of this kind: translation X, Y; scale X, Y; the angle.
        const size_t k = Kind == TransformTranslate ? size_t(i) : Kind == TransformScale ? size_t(2 + i) : 4;
        total->setText(Latin1(TransformTotalText(totals[k])));
        grid->addWidget(total, i, 2);
        (i == 0 ? XStatic : YStatic) = total;
    }
    ExemptLayersCB = new QCheckBox("Exempt Unseen Layers", this);
    ExemptLayersCB->setObjectName("ExemptLayersCB");
    grid->addWidget(ExemptLayersCB, texts, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, buttons, "OKBN", "CancelBN", &OKBN, &CancelBN);
    grid->addLayout(buttons, texts + 1, 0, 1, 3);
    Edits[0]->setFocus();
}

void TTransformDB::accept()
{
    for (QLineEdit* e : Edits)
        if (e) e->setStyleSheet(QString());
    TTransformRequest request;
    request.Kind = Kind;
    for (int i = 0; i < 2; ++i)
        if (Edits[i]) request.Texts[size_t(i)] = WindowsBytes(Edits[i]->text());
    request.ExemptUnseenLayers = ExemptLayersCB->isChecked();
    // The expressions read the window's Calculate variables, the system
    // attributes and the window's layers.
    ExpressionContext context;
    const auto& vars = FPad.View.CalcProgram.Variables;
    for (size_t i = 0; i < vars.size(); ++i) context.Variables[i] = vars[i];
    std::mt19937_64 random = MakeRunRandom();
    TExprBinding binding(*FPad.Network, &FPad.View, &random);
    TPadEditor& editor = TPadEditor::Of(FPad);
    const TTransformOutcome out = RunTransformRequest(
        *FPad.Network, FPad.Settings.Layers.LayerStates, request, context, binding.Env, *FPad.Main.Boxes,
        [&editor](int kind, TTransformParams& p) { return editor.Transform(kind, p); });
    for (int i = 0; i < 2; ++i)
        if (Edits[i] && out.Failed[size_t(i)]) Edits[i]->setStyleSheet("color: red");
    if (!out.Applied) return;
    editor.UpdateCommands();
    QDialog::accept();
}

TSetScaleDB::TSetScaleDB(TSketchPadWindow& Pad, QWidget* Parent) : TTransformDB(Pad, TransformScale, Parent)
{
    setObjectName("SetScaleDB");
}

TSetTranslateDB::TSetTranslateDB(TSketchPadWindow& Pad, QWidget* Parent)
    : TTransformDB(Pad, TransformTranslate, Parent)
{
    setObjectName("SetTranslateDB");
}

TSetRotateDB::TSetRotateDB(TSketchPadWindow& Pad, QWidget* Parent) : TTransformDB(Pad, TransformRotate, Parent)
{
    setObjectName("SetRotateDB");
}
