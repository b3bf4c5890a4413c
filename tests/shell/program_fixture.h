// The program as the window tests start it: a main window over a scratch
// folder (its settings file and program folder), its message boxes recorded,
// no real file dialog, a screen 1280 pixels wide, and every dialog answered
// by the test instead of the user. Stop answers No to the close question,
// closes the program and frees its windows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>

#include "../core/net_window.h"
#include "app/Features.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "shell/DocumentIO.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDrawPad.h"
#include "shell/NetworkFileIO.h"
#include "shell/SketchPad.h"

namespace programtest {

// Window tests never open a real file dialog: the program's chooser answers
// with ToOpen and ToSave (empty: a cancelled dialog) under the filter
// SaveFilter, and counts the save asks.
class TTestFiles : public TFileChooser {
public:
    std::vector<std::string> ToOpen;
    std::string ToSave;
    int SaveFilter = 1;
    int SaveAsked = 0;

    std::vector<std::string> OpenFiles(QWidget*, const std::string&) override { return ToOpen; }
    std::string OpenFile(QWidget*, const std::string&) override { return ToOpen.empty() ? "" : ToOpen[0]; }
    TSaveChoice SaveFile(QWidget*, const std::string&, const std::string&) override
    {
        ++SaveAsked;
        return {ToSave, SaveFilter};
    }
};

// How a test starts the program.
struct TStart {
    std::string CommandLineFile = {}; // opened by the first window
    TNetworkIO* IO = nullptr;         // reads and writes networks; nullptr: the network file drivers
    bool Show = true;                 // shown at 1000 x 700 before the first window opens
    std::function<void(TZOKMainWindow&)> Before = {}; // runs just before the first window opens
};

template <class TBoxes>
class TProgramOf {
public:
    QTemporaryDir Dir;
    TBoxes Boxes;
    TNetworkFileIO FileIO;
    TTestFiles Chooser;
    std::unique_ptr<TZOKMainWindow> Main;
    TSketchPadWindow* Pad = nullptr; // the first window
    TNetwork* Net = nullptr;         // and its network
    // How the program's dialogs are answered: by their objectName through
    // Handlers, a file dialog with NextFile ("" cancels), any other through
    // OnDialog (cancelled unless a test says otherwise). Shown lists the
    // objectName of each dialog run.
    std::map<std::string, std::function<int(QDialog&)>> Handlers;
    std::string NextFile;
    std::function<int(QDialog&)> OnDialog = [](QDialog&) { return int(QDialog::Rejected); };
    std::vector<std::string> Shown;

    TProgramOf() = default;
    TProgramOf(const TProgramOf&) = delete;
    TProgramOf& operator=(const TProgramOf&) = delete;
    ~TProgramOf() { Stop(); }

    std::string Path(const QString& name) const { return Dir.filePath(name).toStdString(); }

    void Start(const TStart& how = {})
    {
        TMainOptions o;
        o.IniFile = Path("tarvex.ini");
        o.ProgramDir = Dir.path().toStdString();
        o.ShowSplash = false;
        o.CommandLineFile = how.CommandLineFile;
        Main = std::make_unique<TZOKMainWindow>(o);
        RegisterFeatures(*Main);
        Main->SetMessageBoxes(&Boxes);
        Main->SetNetworkIO(how.IO ? how.IO : &FileIO);
        Main->SetFileChooser(&Chooser);
        Main->ScreenWidth = [] { return 1280; };
        Main->ExecDialog = [this](QDialog& d) { return Answer(d); };
        if (how.Show) {
            Main->resize(1000, 700);
            Main->show();
        }
        if (how.Before) how.Before(*Main);
        Main->CreateFirstPad();
        Pad = Main->SketchPads.empty() ? nullptr : Main->SketchPads[0];
        Net = Pad ? Pad->Network.get() : nullptr;
    }

    // Starts the program on a network file and makes a view of its window;
    // the first window stays the current one. The view (nullptr: none made).
    TSketchPadWindow* StartWithView(const std::string& file)
    {
        Start({.CommandLineFile = file});
        if (!Pad) return nullptr;
        Main->PadActivated(Pad);
        TSketchPadWindow* view = Main->NewView();
        Main->PadActivated(Pad);
        return view;
    }

    // A menu item as the user reaches it: its menu opens first. False when
    // the window has no such item or it is disabled.
    static bool Trigger(TSketchPadWindow* pad, const char* item)
    {
        for (QMenu* m : pad->Menus) emit m->aboutToShow();
        QAction* a = pad->Action(item);
        if (!a || !a->isEnabled()) return false;
        a->trigger();
        return true;
    }
    // A dialog's control by its objectName (a failure where it has none).
    template <class W>
    static W* Child(QWidget& d, const char* name)
    {
        W* w = d.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static int Accept(QDialog& d)
    {
        d.accept();
        return d.result();
    }

    // Save As of the window to name in the scratch folder.
    bool SaveAs(TSketchPadWindow& w, const char* name)
    {
        Chooser.ToSave = Path(name);
        return Main->SaveAs(w);
    }
    // A network file as a reader outside the program sees it.
    static std::unique_ptr<TNetWindow> Reopen(const std::string& path)
    {
        auto net = std::make_unique<TNetWindow>();
        TMessageSinkRecorder sink;
        EXPECT_EQ(OpenNetworkFile(*net, path, true, sink).Status, TOpenStatus::Ok);
        return net;
    }
    std::unique_ptr<TNetWindow> SaveAndReopen(TSketchPadWindow& w, const char* name)
    {
        EXPECT_TRUE(SaveAs(w, name));
        return Reopen(Path(name));
    }

    void Stop()
    {
        if (Main) {
            Boxes.Clear();
            Boxes.Answers.assign(256, IDNO);
            Main->close();
            Main.reset();
        }
        Pad = nullptr;
        Net = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    int Answer(QDialog& d)
    {
        const std::string name = d.objectName().toStdString();
        Shown.push_back(name);
        if (auto it = Handlers.find(name); it != Handlers.end()) return it->second(d);
        if (auto* f = qobject_cast<QFileDialog*>(&d)) {
            if (NextFile.empty()) return int(QDialog::Rejected);
            f->selectFile(QString::fromStdString(NextFile));
            return int(QDialog::Accepted);
        }
        return OnDialog(d);
    }
};

// The window's drawing of its network, at its zoom, into a white image.
inline QImage PaintWindow(TSketchPadWindow& w, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintSketchPad(w, p, image.rect());
    return image;
}

// The pixels that are not white within reach of a world point of the window.
inline int InkNear(TSketchPadWindow& w, const QImage& image, int32_t x, int32_t y, int reach)
{
    int ink = 0;
    const int px = w.PixelX(x), py = w.PixelY(y);
    for (int j = py - reach; j <= py + reach; ++j)
        for (int i = px - reach; i <= px + reach; ++i)
            if (image.valid(i, j) && image.pixel(i, j) != qRgb(255, 255, 255)) ++ink;
    return ink;
}

// The program as a test fixture: a test's SetUp starts it, TearDown stops it
// before the fixture's own members go.
template <class TBoxes>
class TProgramTestOf : public ::testing::Test, public TProgramOf<TBoxes> {
protected:
    void TearDown() override { this->Stop(); }
};

using TProgram = TProgramOf<TMessageSinkRecorder>;
using TProgramTest = TProgramTestOf<TMessageSinkRecorder>;

} // namespace programtest
