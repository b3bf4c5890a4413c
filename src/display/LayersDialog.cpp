#include "display/LayersDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/model/StyleControls.h"
#include "display/DisplaySupport.h"
#include "schema/SchemaCommon.h"
#include "shell/MainWindow.h"
#include "shell/Viewport.h"

TLayerDB::TLayerDB(TZOKMainWindow& Main, const TLayerSettings& Layers, QWidget* Parent)
    : QDialog(Parent), FMain(Main), FShown(Layers)
{
    setObjectName("LayerDB");
    setWindowTitle("Layers");
    auto* grid = new QGridLayout(this);
    Label1 = new QLabel("Minimum Zoom", this);
    Label1->setObjectName("Label1");
    grid->addWidget(Label1, 0, 2);
    for (int i = 1; i <= 10; ++i) {
        grid->addWidget(new QLabel(QString::number(i), this), i, 0);
        auto* e = new QLineEdit(this);
        e->setObjectName(QString("Edit%1").arg(i));
        e->setMaxLength(int(LayerNameLength));
        e->setText(WindowsText(Layers.LayerNames[size_t(i)]));
        grid->addWidget(e, i, 1);
        auto* c = new QComboBox(this);
        c->setObjectName(QString("ComboBox%1").arg(i));
        // Item k is layer state k: "Never", then the zoom ratios in order.
        c->addItem("Never");
        for (int level = MinZoomLevel; level <= MaxZoomLevel; ++level)
            c->addItem(QString::fromStdString(ZoomRatioText(level)));
        const int item = LayerStateItem(Layers.LayerStates[size_t(i)]);
        c->setCurrentIndex(item >= 0 ? item : DefaultLayerState);
        connect(c, &QComboBox::currentIndexChanged, this, [this, i] { FChanged[size_t(i)] = true; });
        grid->addWidget(c, i, 2);
        Edits[size_t(i)] = e;
        ComboBoxes[size_t(i)] = c;
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, buttons, "Button1", "Button2", &Button1, &Button2);
    HelpButton = NamedButton(this, "HelpButton", "&Help");
    buttons->addWidget(HelpButton);
    grid->addLayout(buttons, 11, 0, 1, 3);
    AddHelp(*this, Main, 600, HelpButton);
    Edits[1]->setFocus();
}

void TLayerDB::accept()
{
    if (TypedTextsKept({Edits.begin() + 1, Edits.end()}, FMain.Boxes)) QDialog::accept();
}

void TLayerDB::Store(TLayerSettings& Layers) const
{
    for (int i = 1; i <= 10; ++i) {
        const int32_t stored = FShown.LayerStates[size_t(i)];
        Layers.LayerStates[size_t(i)] = StoredChoice<int32_t>(stored, LayerStateItem(stored) >= 0, FChanged[size_t(i)],
                                                              ComboBoxes[size_t(i)]->currentIndex());
        std::string name = WindowsBytes(Edits[size_t(i)]->text());
        if (name.size() > LayerNameLength) name.resize(LayerNameLength);
        Layers.LayerNames[size_t(i)] = name;
    }
}
