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

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QTemporaryDir>

#include "core/model/Messages.h"
#include "shell/DocumentIO.h"
#include "shell/MainWindow.h"
#include "shell/NetworkFileIO.h"
#include "shell/SketchPad.h"

namespace programtest {

// Window tests never open a real file dialog: the program's chooser answers
// with ToOpen and ToSave (empty: a cancelled dialog) and counts the save asks.
class TTestFiles : public TFileChooser {
public:
    std::vector<std::string> ToOpen;
    std::string ToSave;
    int SaveAsked = 0;

    std::vector<std::string> OpenFiles(QWidget*, const std::string&) override { return ToOpen; }
    std::string OpenFile(QWidget*, const std::string&) override { return ToOpen.empty() ? "" : ToOpen[0]; }
    std::string SaveFile(QWidget*, const std::string&, const std::string&) override
    {
        ++SaveAsked;
        return ToSave;
    }
};

// How a test starts the program.
struct TStart {
    std::string CommandLineFile;  // opened by the first window
    TNetworkIO* IO = nullptr;     // reads and writes networks; nullptr: the network file drivers
    bool Show = true;             // shown at 1000 x 700 before the first window opens
    std::function<void(TZOKMainWindow&)> Before; // runs just before the first window opens
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
