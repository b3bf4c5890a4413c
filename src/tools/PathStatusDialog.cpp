#include "tools/PathStatusDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/WindowPlacement.h"
#include "schema/SchemaCommon.h"
#include "shell/MainWindow.h"
#include "tools/AnalysisRun.h"

TPathStatusDB::TPathStatusDB(QWidget* Home) : QDialog(Home), FHome(Home)
{
    setObjectName("PathStatusDB");
    setWindowTitle("Path Status");
    setModal(false);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setMinimumWidth(240);
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    connect(Button1, &QPushButton::clicked, this, &TPathStatusDB::Button1Click);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Button1);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(row);
}

void TPathStatusDB::MoveUnder(QWidget* Parent)
{
    if (parentWidget() == Parent) return;
    const bool shown = isVisible();
    const QRect place = geometry();
    setParent(Parent, windowFlags());
    setGeometry(place);
    if (shown) show();
}

void TPathStatusDB::SearchStarted(QWidget* Owner)
{
    QWidget* over = Owner ? Owner : FHome.data();
    const bool shown = isVisible();
    MoveUnder(over);
    Button1->setText("Stop");
    // A box that comes up opens over the dialog that runs the search; one
    // already on the screen stays where the user left it.
    if (!shown) PlaceOver(this, over);
    show();
    raise();
}

void TPathStatusDB::SetStatus(const std::string& Text) { Label1->setText(ShowText(Text)); }

void TPathStatusDB::SearchEnded() { Button1->setText("OK"); }

void TPathStatusDB::ReturnHome() { MoveUnder(FHome.data()); }

bool TPathStatusDB::Stopping() const { return Button1->text() == "Stop"; }

void TPathStatusDB::Button1Click()
{
    if (Stopping()) {
        if (OnStop) OnStop();
        Button1->setText("OK");
        return;
    }
    hide();
}

void TPathStatusDB::closeEvent(QCloseEvent* Event)
{
    // Closing the box while a search runs asks it to stop first.
    if (Stopping()) {
        Button1Click();
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void TPathStatusDB::keyPressEvent(QKeyEvent* Event)
{
    // Escape acts as the button, never as a silent close.
    if (Event->key() == Qt::Key_Escape) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(Event);
}

TPathStatusDB& PathStatusBox(TZOKMainWindow& Main)
{
    if (auto* box = Main.findChild<TPathStatusDB*>("PathStatusDB")) return *box;
    auto* box = new TPathStatusDB(&Main);
    box->OnStop = [&Main] { RequestPathStop(Main); };
    return *box;
}
