// calc-dialog NET PROGRAM OUT [--stop-after MS]: opens the network file NET
// in a network window (offscreen), opens the Calculate dialog, reads PROGRAM
// through its "&Open" and presses "&Start" (the real status box and run
// gate; with --stop-after a timer presses the status box's button after MS
// milliseconds), prints the status box's last text and its button's caption
// as two lines, closes the dialog and saves the network as OUT in version 9.
// Message boxes are printed as their text, then their caption. Exits
// non-zero when a file cannot be read or written.
#include <cstdlib>
#include <iostream>
#include <string>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "driver_support.h"
#include "app/Features.h"
#include "schema/CalculateDialog.h"
#include "schema/CalculateRun.h"
#include "shell/MainWindow.h"
#include "shell/NetworkFileIO.h"
#include "shell/SketchPad.h"

using namespace driver;

namespace {

int Usage()
{
    std::cerr << "usage: calc-dialog NET PROGRAM OUT [--stop-after MS]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 6) return Usage();
    int stopAfter = -1;
    if (argc == 6) {
        char* end = nullptr;
        const long ms = std::strtol(argv[5], &end, 10);
        if (std::string(argv[4]) != "--stop-after" || *end || ms < 0 || ms > 86400000) return Usage();
        stopAfter = int(ms);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TMainOptions options;
    options.IniFile = dir.filePath("tarvex.ini").toStdString();
    options.ProgramDir = dir.path().toStdString();
    options.ShowSplash = false;
    TZOKMainWindow main(options);
    RegisterFeatures(main);
    TPrintingSink sink;
    main.SetMessageBoxes(&sink);
    TNetworkFileIO io;
    main.SetNetworkIO(&io);
    main.show();
    main.CreateFirstPad();
    const auto opened = main.OpenFiles({argv[1]});
    if (opened.empty()) return 1;
    TSketchPadWindow& pad = *opened.front();

    const QString program = QFileInfo(QFile::decodeName(argv[2])).absoluteFilePath();
    bool loaded = false;
    std::string status, button;
    main.ExecDialog = [&](QDialog& d) {
        const QString name = d.objectName();
        if (name == "OpenDialog1") {
            static_cast<QFileDialog&>(d).selectFile(program);
            return int(QDialog::Accepted);
        }
        if (name != "CalculateDB") return int(QDialog::Rejected);
        auto& calc = static_cast<TCalculateDB&>(d);
        const int before = sink.Count;
        calc.OpenButton->click();
        loaded = sink.Count == before && !pad.View.CalcProgram.ProgramFile.empty();
        if (loaded) {
            if (stopAfter >= 0)
                QTimer::singleShot(stopAfter, &main, [&main] {
                    if (TCalculateStatusDB* box = CalculateStatusBox(main))
                        if (box->Button1->text() == "Stop") box->Button1->click();
                });
            calc.Button9->click();
            if (TCalculateStatusDB* box = CalculateStatusBox(main)) {
                status = box->Label1->text().toLatin1().toStdString();
                button = box->Button1->text().toStdString();
            }
        }
        calc.CloseButton->click();
        return d.result();
    };
    CalculateCommand(pad);
    if (!loaded) return 1;
    std::cout << status << '\n' << button << '\n';
    if (!SaveNetwork(*pad.Network, pad.Settings, argv[3], sink)) return 1;
    return 0;
}
