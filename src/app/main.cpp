// tarvex [FILE]: the network editor.
#include <QApplication>
#include <QStringList>

#include "app/Features.h"
#include "platform/FileNames.h"
#include "shell/MainWindow.h"
#include "shell/NetworkFileIO.h"

int main(int argc, char** argv)
{
    // Floating windows place themselves, which X11 allows and Wayland does not.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvex");
    QApplication::setApplicationVersion("0.1");

    TMainOptions options;
    // The rest of the command line names the network file (blanks and all).
    options.CommandLineFile = DiskName(QApplication::arguments().mid(1).join(' '));
    TNetworkFileIO files;
    TZOKMainWindow frame(options);
    RegisterFeatures(frame);
    frame.SetNetworkIO(&files);
    frame.show();
    frame.CreateFirstPad();
    return app.exec();
}
