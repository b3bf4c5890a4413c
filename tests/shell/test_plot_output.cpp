// Page Setup, the margin handles, printing (recorded, and a real PDF read by
// poppler's tools), the SVG plot file and the clipboard plot.
#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/stat.h>

#include <QCheckBox>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>

#include "../core/edit/test_edit_support.h"
#include "file_dialog_listing.h"
#include "program_fixture.h"
#include "core/model/Messages.h"
#include "shell/DocumentIO.h"
#include "shell/PadHandles.h"
#include "shell/PlotDialog.h"
#include "shell/PlotOutput.h"
#include "shell/PrintTarget.h"

using namespace edittest;

namespace {

class TPictureFiles : public TFileChooser {
public:
    std::string Picture;
    std::string Caption, Filter;
    std::vector<std::string> OpenFiles(QWidget*, const std::string&) override { return {}; }
    std::string OpenFile(QWidget*, const std::string&) override { return {}; }
    TSaveChoice SaveFile(QWidget*, const std::string&, const std::string&) override { return {}; }
    std::string SavePicture(QWidget*, const std::string& caption, const std::string&, const std::string& filter) override
    {
        Caption = caption;
        Filter = filter;
        return Picture;
    }
};

std::string Tool(const char* name)
{
    const QString p = QStandardPaths::findExecutable(name);
    return p.toStdString();
}

std::string RunTool(const std::string& tool, const QStringList& args)
{
    QProcess p;
    p.start(QString::fromStdString(tool), args);
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

class Plot : public programtest::TProgramTest {
protected:
    TPictureFiles Files;
    std::vector<TRecordingPrintTarget::TJob> Jobs;

    void SetUp() override
    {
        Start({.Before = [](TZOKMainWindow& m) { m.ScreenPpi = [] { return 96.0; }; }});
        Main->SetFileChooser(&Files);
        // Two named nodes with their names as labels.
        TNode* a = Node(*Net, 100, 100);
        TNode* b = Node(*Net, 400, 300);
        a->Name = "Harbour";
        b->Name = "Airport";
        Link(*Net, a, b);
        Net->NodeCount = 2;
        Pad->Settings.Labels.NodeLabelCodes[0][1] = 101;
        Pad->Settings.Labels.UpdateClassLabelled();
        Pad->View.SetExtents(100, 100, 400, 300);
        Pad->SetScrollRanges();
        Pad->SetCaption("Harbour.dta");
    }
    // The print dialog answers OK with copies and a PDF file (or the printer).
    void PrintDialogAnswers(int copies, const std::string& pdf)
    {
        OnDialog = [copies, pdf](QDialog& d) {
            auto* pd = qobject_cast<QPrintDialog*>(&d);
            if (!pd) return int(QDialog::Rejected);
            pd->printer()->setOutputFormat(QPrinter::PdfFormat);
            pd->printer()->setOutputFileName(QString::fromStdString(pdf));
            pd->printer()->setCopyCount(copies);
            return int(QDialog::Accepted);
        };
    }
    void Record(TPrintDevice device = {600, 600, 0, 0, 5100, 6600})
    {
        Main->MakePrintTarget = [this, device](QPrinter&, const std::string&) {
            return std::make_unique<TRecordingPrintTarget>(Jobs, device);
        };
    }
    static std::vector<std::string> Texts(const TRecordingPrintTarget::TJob& job)
    {
        std::vector<std::string> r;
        for (const TCanvasCall& c : job.Calls)
            if (c.Op == "Text") r.push_back(c.Text);
        return r;
    }
};

} // namespace

TEST_F(Plot, PageSetupRefusesBadFieldsAndKeepsGoodOnes)
{
    TPlotSetup setup;
    TPlotDB d(setup, {0, 0, 1000, 800}, Boxes, {}, {});
    d.TopEdit->setText("abc");
    d.LeftEdit->setText("-1");
    d.ScaleEdit->setText("120");
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(Boxes.Last().Text, "Illegal page setup.");
    EXPECT_EQ(Boxes.Last().Caption, "Plot");
    EXPECT_EQ(Boxes.Last().Flags, MB_EXCLAMATION_OK);
    EXPECT_TRUE(d.TopEdit->styleSheet().contains("red"));
    EXPECT_FALSE(d.BottomEdit->styleSheet().contains("red"));
    d.TopEdit->setText("1e400"); // not a finite number
    d.LeftEdit->setText("0.25");
    d.accept();
    EXPECT_TRUE(d.TopEdit->styleSheet().contains("red"));
    EXPECT_FALSE(d.LeftEdit->styleSheet().contains("red"));
    d.TopEdit->setText("11"); // below the bottom margin: both red
    d.accept();
    EXPECT_TRUE(d.BottomEdit->styleSheet().contains("red"));
    d.TopEdit->setText("1");
    d.TitleEdit->setText(QString::fromUtf8("\u03A9 Ring Road"));
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted) << "a letter the network file cannot keep";
    EXPECT_EQ(Boxes.Last().Text, MessageText(1001) + " U+03A9.");
    EXPECT_TRUE(d.TitleEdit->styleSheet().contains("red"));
    d.TitleEdit->setText(QString::fromUtf8("Ring Road Study \u20AC"));
    d.CenterTitleCB->setChecked(true);
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(setup.Page.Ppi, 120);
    EXPECT_DOUBLE_EQ(setup.Page.Top, 1);
    EXPECT_DOUBLE_EQ(setup.Page.Left, 0.25);
    EXPECT_EQ(setup.Title, "Ring Road Study \x80");
    EXPECT_TRUE(setup.CenterTitle);

    // Through the menu: OK stores into the window and marks only it modified.
    OnDialog = [](QDialog& dlg) {
        auto* p = qobject_cast<TPlotDB*>(&dlg);
        if (!p) return int(QDialog::Rejected);
        p->TitleEdit->setText("Harbour Plan");
        p->accept();
        return p->result();
    };
    Pad->Action("PageSetupM")->trigger();
    EXPECT_EQ(Pad->Settings.Display.PlotTitle, "Harbour Plan");
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_FALSE(Net->Modified);
}

TEST_F(Plot, MarginHandlesFollowAValidPage)
{
    Pad->Action("ShowPlotMarginsM")->trigger();
    QWidget* top = Pad->viewport()->findChild<QWidget*>("TopBar");
    QWidget* bottom = Pad->viewport()->findChild<QWidget*>("BottomBar");
    ASSERT_TRUE(top && bottom);
    EXPECT_TRUE(top->isVisible() && bottom->isVisible());
    // At 1:1 and 96 ppi the top handle sits on the left margin, 0.5 in
    // left of where the network's border begins.
    EXPECT_EQ(top->pos(), QPoint(0, 0));
    Main->SetAllowClose(*Pad, 1);
    QTest::mousePress(top, Qt::LeftButton, {}, QPoint(2, 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 2), top->mapToGlobal(QPointF(50, 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(top, &move);
    QTest::mouseRelease(top, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_DOUBLE_EQ(Pad->Settings.Display.PlotPage[5], 0.5 - 0.5); // 48 pixels: half an inch
    EXPECT_EQ(top->toolTip().toStdString(), "Image left = 0.000; Image down = 0.500");
    EXPECT_EQ(Pad->View.Saved, 0);
    // A right click opens Page Setup.
    QTest::mouseClick(bottom, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(Shown.back(), "PlotDB");

    // A page read from a file with scale 0: no handles, and a plot opens
    // Page Setup instead of the print dialog.
    Pad->Settings.Display.PlotPage[0] = 0;
    Pad->InvalidatePad();
    EXPECT_FALSE(top->isVisible());
    Pad->viewport()->grab(); // no page rectangle is drawn (no division by 0)
    Shown.clear();
    Pad->Action("PlotM")->trigger();
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0], "PlotDB");
}

TEST_F(Plot, EachCopyIsAJobAndAnAbortSendsNothing)
{
    Record();
    Pad->Settings.Display.PlotTitle = "Harbour Plan";
    PrintDialogAnswers(2, Dir.filePath("unused.pdf").toStdString());
    Pad->Action("PlotM")->trigger();
    ASSERT_EQ(Jobs.size(), 2u);
    for (const auto& job : Jobs) {
        EXPECT_EQ(job.Title, "ZOK: Harbour.dta");
        EXPECT_TRUE(job.Ended);
        const auto texts = Texts(job);
        ASSERT_GE(texts.size(), 3u);
        EXPECT_EQ(texts[0], "Harbour Plan");
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Airport"), texts.end());
        // Below the title: a half-inch margin, 32 pixels of title and a third of an inch at 600 dpi.
        EXPECT_EQ(job.Clip.Top, int(std::lround((0.5 + 32.0 / 96 + 0.333) * 600)));
    }
    EXPECT_EQ(Pad->View.PlotCopies, 2);
    EXPECT_EQ(Main->PanelText(3), "");
    EXPECT_TRUE(Pad->isEnabled());

    // A double click on "Plotting" during the first copy: it is aborted and
    // the second never starts. Meanwhile the network can be neither saved
    // nor closed, and the window is disabled.
    Jobs.clear();
    bool saveRefused = false, closeRefused = false, disabled = false;
    Main->MakePrintTarget = [&](QPrinter&, const std::string&) {
        struct TStopping : TRecordingPrintTarget {
            std::function<void()> OnBegin;
            using TRecordingPrintTarget::TRecordingPrintTarget;
            bool Begin(const std::string& t) override
            {
                OnBegin();
                return TRecordingPrintTarget::Begin(t);
            }
        };
        auto t = std::make_unique<TStopping>(Jobs, TPrintDevice{600, 600, 0, 0, 5100, 6600});
        t->OnBegin = [&] {
            saveRefused = !Pad->Action("SaveM")->isEnabled() && !Main->Gate.Lets(GateFile, Net);
            closeRefused = !Main->FormCloseQuery(*Pad);
            disabled = !Pad->isEnabled();
            Main->StatusBarDblClick(300);
        };
        return t;
    };
    Pad->Action("PlotM")->trigger();
    ASSERT_EQ(Jobs.size(), 1u);
    EXPECT_TRUE(Jobs[0].Aborted);
    EXPECT_FALSE(Jobs[0].Ended);
    EXPECT_TRUE(saveRefused && closeRefused && disabled);
    EXPECT_TRUE(Pad->isEnabled());
    EXPECT_TRUE(Pad->Action("SaveM")->isEnabled());
}

TEST_F(Plot, PdfOnLetterWithTitleAndLabels)
{
    const std::string pdfinfo = Tool("pdfinfo"), pdftotext = Tool("pdftotext");
    if (pdfinfo.empty() || pdftotext.empty()) GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) not installed";
    Pad->Settings.Display.PlotTitle = "Harbour Plan";
    const std::string pdf = Dir.filePath("plan.pdf").toStdString();
    PrintDialogAnswers(2, pdf);
    Pad->Action("PlotM")->trigger();
    for (int k : {1, 2}) {
        const QString f = Dir.filePath(QString("plan-%1.pdf").arg(k));
        ASSERT_TRUE(QFile::exists(f)) << k;
        const std::string info = RunTool(pdfinfo, {f});
        EXPECT_NE(info.find("Title:           ZOK: Harbour.dta"), std::string::npos) << info;
        EXPECT_NE(info.find("(letter)"), std::string::npos) << info;
        const std::string text = RunTool(pdftotext, {f, "-"});
        EXPECT_NE(text.find("Harbour Plan"), std::string::npos) << text;
        EXPECT_NE(text.find("Airport"), std::string::npos) << text;
        EXPECT_NE(text.find("Harbour\n"), std::string::npos) << text;
    }
    EXPECT_FALSE(QFile::exists(Dir.filePath("plan.pdf")));
    EXPECT_EQ(QDir(Dir.path()).entryList({"*.pdf.*"}, QDir::Files).size(), 0); // no temporary left

    // A folder that does not exist: the box, nothing written.
    PrintDialogAnswers(1, Dir.filePath("none/plan.pdf").toStdString());
    Pad->Action("PlotM")->trigger();
    EXPECT_EQ(Boxes.Last().Text, "File creation error");
    EXPECT_EQ(Boxes.Last().Caption, "Cannot Write File");
    // An aborted print leaves the file that was there whole.
    const QByteArray before = [&] {
        QFile f(Dir.filePath("plan-1.pdf"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    PrintDialogAnswers(1, Dir.filePath("plan-1.pdf").toStdString());
    Main->MakePrintTarget = [this](QPrinter& p, const std::string& file) {
        Main->Gate.RequestStop(TBusyKind::Print);
        return MakePrinterTarget(p, file);
    };
    Pad->Action("PlotM")->trigger();
    QFile after(Dir.filePath("plan-1.pdf"));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

// A PDF goes where a network file would: never over a FIFO or another
// special file, and through a link into the file it names.
TEST_F(Plot, PdfFileKeepsLinksAndRefusesSpecialFiles)
{
    const QString fifo = Dir.filePath("pipe.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    PrintDialogAnswers(1, fifo.toStdString());
    Pad->Action("PlotM")->trigger();
    ASSERT_GT(Boxes.Count(), 0u);
    EXPECT_EQ(Boxes.Last().Text, "File creation error");
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ASSERT_TRUE(QDir(Dir.path()).mkpath("real"));
    const QString real = Dir.filePath("real/plan.pdf"), link = Dir.filePath("plan.pdf");
    {
        QFile old(real);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    ASSERT_TRUE(QFile::link(real, link));
    const size_t boxes = Boxes.Count();
    PrintDialogAnswers(1, link.toStdString());
    Pad->Action("PlotM")->trigger();
    EXPECT_EQ(Boxes.Count(), boxes);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile made(real);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_TRUE(made.readAll().startsWith("%PDF"));
    EXPECT_EQ(QDir(Dir.path() + "/real").entryList(QDir::Files).size(), 1); // no temporary left
}

TEST_F(Plot, SvgFileAndClipboard)
{
    Files.Picture = Dir.filePath("plan.svg").toStdString();
    Pad->Action("FileWMFPlot1")->trigger();
    EXPECT_EQ(Files.Caption, "Plot to Windows Metafile");
    EXPECT_EQ(Files.Filter, "Scalable Vector Graphics (*.svg)|*.svg|All Files|*.*");
    QFile f(Dir.filePath("plan.svg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray svg = f.readAll();
    EXPECT_TRUE(svg.contains("<title>ZOK</title>"));
    EXPECT_TRUE(svg.contains("<desc>Harbour.dta</desc>"));
    EXPECT_TRUE(svg.contains("Airport"));
    // The network with 10 units all round.
    EXPECT_EQ(QSvgRenderer(svg).viewBox(), QRect(0, 0, 320, 220));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).filter("plan.svg").size(), 1);

    // A folder that does not exist: the box; the old file stays whole.
    Files.Picture = Dir.filePath("none/plan.svg").toStdString();
    Pad->Action("FileWMFPlot1")->trigger();
    EXPECT_EQ(Boxes.Last().Text, "File creation error");
    EXPECT_EQ(Boxes.Last().Caption, "Cannot Write File");

    Pad->Action("ClipboardPlot1")->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data("image/svg+xml").contains("<title>ZOK</title>"));
    EXPECT_TRUE(data->hasImage());
    // A huge picture goes to the clipboard at most 4096 pixels a side.
    const QImage big = PictureImage(svg, QSize(20000, 500));
    EXPECT_EQ(big.width(), 4096);
    EXPECT_EQ(big.height(), 102);
}

TEST_F(Plot, MetafileDialogListsEveryFileUnderAllFiles)
{
    Pad->Action("FileWMFPlot1")->trigger(); // cancelled: only its caption and filter are kept
    for (const char* name : {"plan", "plan.svg"}) QFile(Dir.filePath(name)).open(QIODevice::WriteOnly);
    // The program's own chooser with that filter, answered once it shows.
    QStringList filters, listed;
    std::function<void()> look = [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d) {
            QTimer::singleShot(10, look);
            return;
        }
        filters = d->nameFilters();
        listed = filedialogtest::ListedUnder(*d, Dir.path(), "All Files", "plan.svg");
        d->reject();
    };
    QTimer::singleShot(0, look);
    TQtFileChooser chooser;
    EXPECT_EQ(chooser.SavePicture(Pad, Files.Caption, "", Files.Filter), "");
    EXPECT_EQ(filters.join(";;").toStdString(), "Scalable Vector Graphics (*.svg);;All Files (*)");
    EXPECT_TRUE(listed.contains("plan")) << listed.join(' ').toStdString();
}

TEST_F(Plot, SvgWithPlotMarginsHoldsTheWholePageAndItsTitleBlock)
{
    // A letter page at 96 pixels per inch: 7.5 x 10 inches inside the margins,
    // the page running from world y -90 to 870 here.
    Pad->Settings.Display.PlotPage = {96, 0.5, 8.0, 0.5, 10.5, 0.5, 0.5};
    Pad->View.ShowPlotMargins = 1;
    // A title block at the page's bottom edge.
    TDescription& t = Pad->Settings.Description;
    t.Project = "Bridge Study";
    t.Job = "Corridor 7";
    t.Author = "Planning Office";
    t.ShowProject = t.ShowJob = t.ShowAuthor = 1;
    t.X = 120;
    t.Y = 800;
    Files.Picture = Dir.filePath("page.svg").toStdString();
    Pad->Action("FileWMFPlot1")->trigger();
    QFile f(Dir.filePath("page.svg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray svg = f.readAll();
    // The size the page gives, in pixels, as every reader takes it.
    EXPECT_TRUE(svg.contains("<svg width=\"720\" height=\"960\"")) << svg.left(200).toStdString();
    QSvgRenderer picture(svg);
    EXPECT_EQ(picture.viewBox(), QRect(0, 0, 720, 960));
    EXPECT_EQ(picture.defaultSize(), QSize(720, 960));
    for (const char* text : {"Project: Bridge Study", "Job: Corridor 7", "Author: Planning Office", "Airport"})
        EXPECT_TRUE(svg.contains(text)) << text;
    // Drawn at its place: ink where the block's lines lie, near the bottom.
    QImage image(picture.defaultSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        picture.render(&p);
    }
    int ink = 0;
    for (int y = 710; y < 780; ++y)
        for (int x = 30; x < 300; ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) ++ink;
    EXPECT_GT(ink, 100);

    // With a plot title the page starts below the title gap: 64 pixels less.
    Pad->Settings.Display.PlotTitle = "Network Plan";
    QByteArray titled;
    QSize size;
    ASSERT_TRUE(PlotPicture(*Pad, titled, size));
    EXPECT_EQ(size, QSize(720, 896));
    EXPECT_EQ(QSvgRenderer(titled).defaultSize(), QSize(720, 896));
    EXPECT_TRUE(titled.contains("Author: Planning Office"));
}

// "Ghost Links" draws the links that fail the link search as one-pixel lines
// in the filtered-link colour (palette 19) on the window, on paper and in
// plots; unticked they are not drawn at all. A reopened network keeps it.
TEST_F(Plot, GhostLinksDrawTheFilteredLinksThin)
{
    TClassRecord& road = (*Net->LinkClasses)[1];
    road.Name = "Road";
    road.AttributeCount = 1;
    road.Attributes[1] = std::make_unique<TAttrib>();
    road.Attributes[1]->Kind = 'R';
    road.Attributes[1]->Name = "Lanes";
    road.Attributes[1]->Active = 1; // the search: 0 to 5 lanes
    road.Attributes[1]->High = 5;
    Link(*Net, Node(*Net, 150, 150), Node(*Net, 350, 150), 1)->Values[0].SetReal(3);
    Link(*Net, Node(*Net, 150, 250), Node(*Net, 350, 250), 1)->Values[0].SetReal(9); // fails
    const QColor ghost(191, 191, 191);
    auto onWindow = [](TSketchPadWindow& w) {
        return programtest::PaintWindow(w, QSize(500, 400)).pixelColor(w.PixelX(250), w.PixelY(250));
    };
    // The plotted picture's pixels on the failing link's row (world 250 is
    // 160 in the picture: 10 units of border).
    auto plotted = [&] {
        Files.Picture = Dir.filePath("plan.svg").toStdString();
        Pad->Action("FileWMFPlot1")->trigger();
        QFile f(Dir.filePath("plan.svg"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QImage image = PictureImage(f.readAll(), QSize(320, 220));
        int grey = 0;
        for (int y = 159; y <= 161; ++y)
            for (int x = 100; x <= 200; ++x) grey += image.pixelColor(x, y) != QColor(Qt::white);
        return grey;
    };
    auto printed = [&] {
        Jobs.clear();
        Record();
        PrintDialogAnswers(1, Dir.filePath("unused.pdf").toStdString());
        Pad->Action("PlotM")->trigger();
        int thin = 0;
        for (const auto& job : Jobs)
            for (const TCanvasCall& c : job.Calls)
                thin += c.Op == "Line" && c.PenColor == ProgramColorPalette[19] && c.PenWidth == 1;
        return thin;
    };
    EXPECT_EQ(onWindow(*Pad), QColor(Qt::white));
    EXPECT_EQ(plotted(), 0);
    EXPECT_EQ(printed(), 0);

    Main->SetAllowClose(*Pad, 1);
    ASSERT_TRUE(Trigger(Pad, "PaleLinksM"));
    EXPECT_TRUE(Pad->Action("PaleLinksM")->isChecked());
    EXPECT_EQ(Pad->View.Saved, 1); // the look of the window only
    EXPECT_EQ(onWindow(*Pad), ghost);
    EXPECT_GT(plotted(), 50);
    EXPECT_EQ(printed(), 1);

    Main->SetFileChooser(&Chooser);
    ASSERT_TRUE(SaveAs(*Pad, "ghost.dta"));
    std::vector<TSketchPadWindow*> opened = Main->OpenFiles({Path("ghost.dta")});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(onWindow(*opened[0]), ghost);
    EXPECT_EQ(onWindow(*Main->NewView()), ghost);
}
