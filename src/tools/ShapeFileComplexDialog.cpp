#include "tools/ShapeFileComplexDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/model/Messages.h"
#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "shell/FileDialog.h"
#include "shell/MainWindow.h"
#include "tools/BatchWindowHost.h"
#include "tools/ToolFiles.h"

namespace {

const char* const PageNames[10] = {"First", "Second", "Third",   "Fourth", "Fifth",
                                   "Sixth", "Seventh", "Eighth", "Ninth",  "Tenth"};

int RowOf(const QObject* W)
{
    const QVariant v = W ? W->property("Row") : QVariant();
    return v.isValid() ? v.toInt() : 0;
}

void Paint(QWidget* W, const QColor& Color)
{
    QPalette p = W->palette();
    p.setColor(QPalette::Base, Color);
    p.setColor(QPalette::Button, Color);
    W->setPalette(p);
}

} // namespace

// ---- the find and replace box ----

TBatchReplaceDB::TBatchReplaceDB(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("BatchReplaceDB");
    setWindowTitle("Replace");
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName("FindEdit");
    ReplaceEdit = new QLineEdit(this);
    ReplaceEdit->setObjectName("ReplaceEdit");
    auto* findLabel = new QLabel("Fi&nd what:", this);
    findLabel->setBuddy(FindEdit);
    auto* replaceLabel = new QLabel("Re&place with:", this);
    replaceLabel->setBuddy(ReplaceEdit);
    auto button = [this](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    button(FindButton, "FindButton", "&Find Next");
    button(ReplaceButton, "ReplaceButton", "&Replace");
    button(ReplaceAllButton, "ReplaceAllButton", "Replace &All");
    button(CloseButton, "CloseButton", "Cancel");
    FindButton->setDefault(true);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* grid = new QGridLayout;
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(ReplaceEdit, 1, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {FindButton, ReplaceButton, ReplaceAllButton, CloseButton}) buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

std::string TBatchReplaceDB::FindText() const { return Bytes(FindEdit->text()); }

// ---- the run's view of the dialog ----

// Forwards every step to the dialog's operations and shows the run's
// progress in the dialog.
class TComplexShapeFileDB::TProgressHost : public TBatchHost {
public:
    TProgressHost(TComplexShapeFileDB& D, TBatchHost& Ops) : D(D), Ops(Ops) {}
    int WindowCount() const override { return Ops.WindowCount(); }
    bool HasCurrentWindow() const override { return Ops.HasCurrentWindow(); }
    bool NewWindow(TMessageSink& S) override { return Ops.NewWindow(S); }
    bool OpenNetwork(const std::string& P, TMessageSink& S) override { return Ops.OpenNetwork(P, S); }
    bool ApplyShapefileSettings(TMessageSink& S) override { return Ops.ApplyShapefileSettings(S); }
    bool AppendNetwork(const std::string& P, TMessageSink& S) override { return Ops.AppendNetwork(P, S); }
    bool ImportShapefile(const std::string& P, TMessageSink& S) override { return Ops.ImportShapefile(P, S); }
    bool LoadProgram(const std::string& P, TMessageSink& S) override { return Ops.LoadProgram(P, S); }
    bool RunProgram(TMessageSink& S) override { return Ops.RunProgram(S); }
    bool GetUpdateFormats(const std::string& P, TMessageSink& S) override { return Ops.GetUpdateFormats(P, S); }
    bool DoUpdate(const std::string& P, TMessageSink& S) override { return Ops.DoUpdate(P, S); }
    bool SaveAs(const std::string& P, TMessageSink& S) override { return Ops.SaveAs(P, S); }
    void CloseCurrentWindow() override { Ops.CloseCurrentWindow(); }

    void HighlightRow(int Row) override
    {
        if (D.FHighlighted) D.HighlightRow(D.FHighlighted, false);
        D.FHighlighted = Row;
        D.HighlightRow(Row, true);
        D.ShowPageOf(Row);
    }
    void ShowStepNumber(int Row) override { D.StepEdit->setText(QString::number(Row)); }
    void ProcessMessages() override
    {
        if (D.Pump)
            D.Pump();
        else
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    TComplexShapeFileDB& D;
    TBatchHost& Ops;
};

// ---- the dialog ----

TComplexShapeFileDB::TComplexShapeFileDB(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("ComplexShapeFileDB");
    setWindowTitle(QString::fromLatin1(BatchCaption));
    Stored.Clear();
    FRows.Clear();

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setUsesScrollButtons(false); // all ten page tabs in sight
    QStringList operations;
    for (int code = 0; code < BatchOperationCount; ++code) operations << QString::fromLatin1(BatchOperationText(code));
    for (int page = 0; page < 10; ++page) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString("TabSheet%1").arg(page + 1));
        auto* grid = new QGridLayout(sheet);
        for (int i = 1; i <= BatchPageRows; ++i) {
            const int row = page * BatchPageRows + i;
            auto* number = new QLabel(QString::number(row), sheet);
            number->setObjectName(QString("Label%1").arg(row));
            auto* combo = new QComboBox(sheet);
            combo->setObjectName(QString("ComboBox%1").arg(row));
            combo->addItems(operations);
            combo->setProperty("Row", row);
            combo->installEventFilter(this);
            connect(combo, &QComboBox::currentIndexChanged, this, [this, row](int index) {
                if (index >= 0) FRows.StepOperation[size_t(row)] = index;
            });
            auto* edit = new QLineEdit(sheet);
            edit->setObjectName(QString("Edit%1").arg(row));
            edit->setReadOnly(true);
            edit->setMinimumWidth(360);
            edit->setProperty("Row", row);
            edit->setToolTip("Double-click to choose the file.");
            edit->installEventFilter(this);
            grid->addWidget(number, i - 1, 0);
            grid->addWidget(combo, i - 1, 1);
            grid->addWidget(edit, i - 1, 2);
            ComboBoxes[size_t(row)] = combo;
            Edits[size_t(row)] = edit;
        }
        grid->setColumnStretch(2, 1);
        PageControl1->addTab(sheet, QString::fromLatin1(PageNames[page]));
    }

    auto button = [this](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    button(ClearButton, "ClearButton", "Clear");
    button(SaveButton, "SaveButton", "Save");
    button(OpenButton, "OpenButton", "Open");
    button(InsertButton, "InsertButton", "Insert");
    button(DeleteButton, "DeleteButton", "Delete");
    button(ReplaceButton, "ReplaceButton", "Replace");
    button(ExecuteButton, "ExecuteButton", "Execute");
    button(OKButton, "OKButton", "OK");
    button(CancelButton, "CancelButton", "Cancel");
    auto speed = [this](QToolButton*& b, const char* name, Qt::ArrowType arrow, const char* hint) {
        b = new QToolButton(this);
        b->setObjectName(name);
        b->setArrowType(arrow);
        b->setToolTip(QString::fromLatin1(hint));
        // The focus stays on the row it moves.
        b->setFocusPolicy(Qt::NoFocus);
    };
    speed(UpButton, "UpButton", Qt::UpArrow, "Move line up");
    speed(DownButton, "DownButton", Qt::DownArrow, "Move line down");
    StepEdit = new QLineEdit(this);
    StepEdit->setObjectName("StepEdit");
    StepEdit->setReadOnly(true);
    StepEdit->setFocusPolicy(Qt::NoFocus);
    StepEdit->setMaximumWidth(60);
    auto* stepLabel = new QLabel("Step:", this);

    connect(ClearButton, &QPushButton::clicked, this, [this] { ClearClick(); });
    connect(SaveButton, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(OpenButton, &QPushButton::clicked, this, [this] { OpenClick(); });
    connect(InsertButton, &QPushButton::clicked, this, [this] { InsertClick(); });
    connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteClick(); });
    connect(ReplaceButton, &QPushButton::clicked, this, [this] { ReplaceClick(); });
    connect(ExecuteButton, &QPushButton::clicked, this, [this] { ExecuteClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(UpButton, &QToolButton::clicked, this, [this] { MoveUpClick(); });
    connect(DownButton, &QToolButton::clicked, this, [this] { MoveDownClick(); });

    NewFileNameDB();
    SaveSpecDB = MakeFileChooser(this, "SaveSpecDB", "Save Shape File Import Specification", BatchScriptFilter,
                                 true, "sfs");
    OpenSpecDB = MakeFileChooser(this, "OpenSpecDB", "Open Shapefile Import Specification", BatchScriptFilter,
                                 false, "sfs");

    ReplaceDB = new TBatchReplaceDB(this);
    connect(ReplaceDB->FindButton, &QPushButton::clicked, this, [this] { FindNext(ReplaceDB->FindText()); });
    connect(ReplaceDB->ReplaceButton, &QPushButton::clicked, this, [this] {
        if (std::string r; StoredText(ReplaceDB->ReplaceEdit->text(), r)) ReplaceOne(ReplaceDB->FindText(), r);
    });
    connect(ReplaceDB->ReplaceAllButton, &QPushButton::clicked, this, [this] {
        if (std::string r; StoredText(ReplaceDB->ReplaceEdit->text(), r)) ReplaceAll(ReplaceDB->FindText(), r);
    });

    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(UpButton);
    rowButtons->addWidget(DownButton);
    for (QPushButton* b : {InsertButton, DeleteButton, ReplaceButton, ClearButton, OpenButton, SaveButton})
        rowButtons->addWidget(b);
    rowButtons->addStretch();
    auto* runButtons = new QHBoxLayout;
    runButtons->addWidget(ExecuteButton);
    runButtons->addWidget(stepLabel);
    runButtons->addWidget(StepEdit);
    runButtons->addStretch();
    runButtons->addWidget(OKButton);
    runButtons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(rowButtons);
    layout->addLayout(runButtons);

    ShowRows();
}

TComplexShapeFileDB::~TComplexShapeFileDB() = default;

TMessageSink& TComplexShapeFileDB::Sink()
{
    if (MessageBoxes) return MessageBoxes();
    if (!FOwnBoxes) FOwnBoxes = std::make_unique<TQtMessageBoxes>(this);
    return *FOwnBoxes;
}

void TComplexShapeFileDB::ShowRow(int Row)
{
    QComboBox* combo = ComboBoxes[size_t(Row)];
    const QSignalBlocker block(combo);
    const int code = FRows.StepOperation[size_t(Row)];
    combo->setCurrentIndex(code >= 0 && code < BatchOperationCount ? code : -1);
    Edits[size_t(Row)]->setText(Latin1(FRows.StepFileName[size_t(Row)]));
}

void TComplexShapeFileDB::ShowRows()
{
    for (int row = 1; row <= BatchStepCount; ++row) ShowRow(row);
}

void TComplexShapeFileDB::SetRows(const TBatchScript& Rows)
{
    FRows = Rows;
    ShowRows();
}

void TComplexShapeFileDB::FormShow()
{
    FRows = Stored;
    FRows.LastHit = 0;
    ShowRows();
    StepEdit->setText("0");
    ExecuteButton->setEnabled(true);
}

void TComplexShapeFileDB::showEvent(QShowEvent* Event)
{
    if (!Event->spontaneous() && !FRunning) FormShow();
    QDialog::showEvent(Event);
}

void TComplexShapeFileDB::OKClick()
{
    if (FRunning) return;
    Stored = FRows;
    ReplaceDB->hide();
    done(1);
}

void TComplexShapeFileDB::reject()
{
    if (FRunning) return;
    ReplaceDB->hide();
    QDialog::reject();
}

void TComplexShapeFileDB::closeEvent(QCloseEvent* Event)
{
    if (FRunning) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void TComplexShapeFileDB::HighlightRow(int Row, bool On)
{
    if (Row < 1 || Row > BatchStepCount) return;
    FYellow[size_t(Row)] = On;
    const QColor color = On ? QColor(Qt::yellow) : QColor(Qt::white);
    Paint(ComboBoxes[size_t(Row)], color);
    Paint(Edits[size_t(Row)], color);
}

bool TComplexShapeFileDB::RowHighlighted(int Row) const
{
    return Row >= 1 && Row <= BatchStepCount && FYellow[size_t(Row)];
}

void TComplexShapeFileDB::ClearHighlights()
{
    for (int row = 1; row <= BatchStepCount; ++row) HighlightRow(row, false);
    FHighlighted = 0;
}

void TComplexShapeFileDB::ShowPageOf(int Row)
{
    if (Row >= 1 && Row <= BatchStepCount) PageControl1->setCurrentIndex(BatchPageOf(Row) - 1);
}

void TComplexShapeFileDB::ClearClick()
{
    if (FRunning) return;
    const std::string folder = FRows.Folder;
    FRows.Clear();
    FRows.Folder = folder;
    ShowRows();
    ClearHighlights();
    PageControl1->setCurrentIndex(0);
}

bool TComplexShapeFileDB::Choose(QFileDialog& Dialog, QString& File)
{
    const bool chosen = RunFileDialog ? RunFileDialog(Dialog) : Dialog.exec() == QDialog::Accepted;
    const QStringList files = ChosenFiles(Dialog);
    if (!chosen || files.isEmpty()) return false;
    File = files.first();
    return !File.isEmpty();
}

bool TComplexShapeFileDB::StoredText(const QString& Text, std::string& Stored)
{
    if (StoredName(Text, Stored)) return true;
    ShowMessageNamingFiles(Sink(), UnstorableNameText(Text), BatchCaption, MB_EXCLAMATION_OK);
    return false;
}

bool TComplexShapeFileDB::SaveTo(const std::string& Path)
{
    std::string error;
    if (FRows.SaveSpecification(Path, error)) return true;
    ShowMessageText(Sink(), error, BatchCaption, MB_EXCLAMATION_OK);
    return false;
}

bool TComplexShapeFileDB::OpenFrom(const std::string& Path)
{
    std::string error;
    if (!FRows.OpenSpecification(Path, error)) {
        ShowMessageText(Sink(), error, BatchCaption, MB_EXCLAMATION_OK);
        return false;
    }
    ShowRows();
    ClearHighlights();
    return true;
}

void TComplexShapeFileDB::SaveClick()
{
    QString file;
    if (!FRunning && Choose(*SaveSpecDB, file)) SaveTo(DiskName(file));
}

void TComplexShapeFileDB::OpenClick()
{
    QString file;
    if (!FRunning && Choose(*OpenSpecDB, file)) OpenFrom(DiskName(file));
}

int TComplexShapeFileDB::FocusedRow() const { return RowOf(focusWidget()); }

void TComplexShapeFileDB::MoveRow(bool Up)
{
    if (FRunning) return;
    QWidget* focus = focusWidget();
    const int row = RowOf(focus);
    if (!row || !(Up ? FRows.MoveUp(row) : FRows.MoveDown(row))) return;
    const int target = Up ? row - 1 : row + 1;
    ShowRow(row);
    ShowRow(target);
    ShowPageOf(target);
    QWidget* same = qobject_cast<QComboBox*>(focus) ? static_cast<QWidget*>(ComboBoxes[size_t(target)])
                                                     : static_cast<QWidget*>(Edits[size_t(target)]);
    same->setFocus();
    FLastRow = target;
}

void TComplexShapeFileDB::MoveUpClick() { MoveRow(true); }
void TComplexShapeFileDB::MoveDownClick() { MoveRow(false); }

void TComplexShapeFileDB::InsertClick()
{
    if (!FRunning && FRows.InsertRow(FLastRow)) ShowRows();
}

void TComplexShapeFileDB::DeleteClick()
{
    if (!FRunning && FRows.DeleteRow(FLastRow)) ShowRows();
}

void TComplexShapeFileDB::ReplaceClick()
{
    if (FRunning) return;
    ReplaceDB->show();
    ReplaceDB->raise();
    ReplaceDB->activateWindow();
}

int TComplexShapeFileDB::FindNext(const std::string& Text)
{
    if (FRunning) return 0;
    ClearHighlights();
    const int row = FRows.FindNext(Text);
    if (row) {
        Paint(Edits[size_t(row)], Qt::yellow);
        FYellow[size_t(row)] = true;
        ShowPageOf(row);
    } else {
        PageControl1->setCurrentIndex(0);
    }
    return row;
}

void TComplexShapeFileDB::ReplaceOne(const std::string& Text, const std::string& Replacement)
{
    if (!FRunning && FRows.Replace(Text, Replacement)) ShowRow(FRows.LastHit);
}

void TComplexShapeFileDB::ReplaceAll(const std::string& Text, const std::string& Replacement)
{
    if (!FRunning && FRows.ReplaceAll(Text, Replacement) > 0) ShowRows();
}

void TComplexShapeFileDB::NewFileNameDB()
{
    // A fresh dialog for every row, so that no row is offered another's name.
    delete FileNameDB;
    FileNameDB = MakeFileChooser(this, "FileNameDB", "Set File Name", BatchFileFilter, false, nullptr);
    // A step's file may be one that a step before it writes.
    FileNameDB->setFileMode(QFileDialog::AnyFile);
    if (!FLastFolder.isEmpty()) FileNameDB->setDirectory(FLastFolder);
}

void TComplexShapeFileDB::ChooseFileName(int Row)
{
    if (FRunning || Row < 1 || Row > BatchStepCount) return;
    NewFileNameDB();
    // A name typed without an extension takes the row's kind of file's.
    SelectFilter(*FileNameDB, BatchFileFilter, BatchFilterIndex(FRows.StepOperation[size_t(Row)]));
    if (!FRows.StepFileName[size_t(Row)].empty()) FileNameDB->selectFile(Latin1(FRows.StepFileName[size_t(Row)]));
    QString file;
    if (!Choose(*FileNameDB, file)) return;
    // The next row's dialog starts in this file's folder.
    FLastFolder = QFileInfo(file).absolutePath();
    if (!StoredText(file, FRows.StepFileName[size_t(Row)])) return;
    ShowRow(Row);
}

bool TComplexShapeFileDB::eventFilter(QObject* Watched, QEvent* Event)
{
    const int row = RowOf(Watched);
    if (row) {
        if (Event->type() == QEvent::FocusIn) FLastRow = row;
        if (Event->type() == QEvent::MouseButtonDblClick && qobject_cast<QLineEdit*>(Watched)) {
            ChooseFileName(row);
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TComplexShapeFileDB::SetRunning(bool Running)
{
    FRunning = Running;
    for (QWidget* w : std::initializer_list<QWidget*>{ClearButton, SaveButton, OpenButton, InsertButton, DeleteButton,
                                                      ReplaceButton, UpButton, DownButton, OKButton, CancelButton,
                                                      ExecuteButton})
        w->setEnabled(!Running);
    if (Running) ReplaceDB->hide();
}

TBatchRunResult TComplexShapeFileDB::ExecuteClick()
{
    if (FRunning || !Operations) return {};
    SetRunning(true);
    ClearHighlights();
    if (HoldWindows) HoldWindows(true);
    // The run reads the rows as they stood when it started, each name as
    // the disk spells it.
    TBatchScript script = FRows;
    for (std::string& name : script.StepFileName) name = DiskNameOfStored(name);
    TProgressHost host(*this, *Operations);
    const TBatchRunResult result = RunBatch(script, host, Sink());
    if (HoldWindows) HoldWindows(false);
    SetRunning(false);
    return result;
}

// ---- the program's dialog ----

TComplexShapeFileDB* CreateComplexShapeFileDB(TZOKMainWindow& Main)
{
    auto* d = new TComplexShapeFileDB(&Main);
    d->OwnOperations = std::make_unique<TWindowBatchHost>(Main);
    d->Operations = d->OwnOperations.get();
    d->MessageBoxes = [&Main]() -> TMessageSink& { return *Main.Boxes; };
    // No window closes, no command changes a network and no backup is
    // written while the run goes on; windows may paint and scroll.
    auto run = std::make_shared<TBusyGate::TRun>();
    d->HoldWindows = [&Main, run](bool Busy) {
        if (Busy)
            *run = Main.Gate.Begin(TBusyKind::Import, nullptr, nullptr, GateView);
        else
            run->End();
    };
    return d;
}

TComplexShapeFileDB* ComplexShapeFileDBOf(TZOKMainWindow& Main)
{
    return Main.findChild<TComplexShapeFileDB*>(QString(), Qt::FindDirectChildrenOnly);
}

void ShowComplexShapeFileDB(TZOKMainWindow& Main)
{
    if (TComplexShapeFileDB* d = ComplexShapeFileDBOf(Main)) Main.ExecDialog(*d);
}
