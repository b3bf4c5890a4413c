#include "shell/NetworkFileIO.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "core/file/NetworkFile.h"
#include "shell/SketchPad.h"

namespace {
// Lets pending window messages through about every 30 ms of a long read or write.
TFileProgress Pump()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] {
        if (timer->elapsed() < 30) return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        timer->restart();
    };
}
} // namespace

namespace {
bool OpenWith(TSketchPadWindow& Pad, const std::string& FileName, bool Append, bool UseAppendedValues,
              bool AskKeepName, TMessageSink& Boxes)
{
    TOpenOptions options;
    options.AskKeepName = AskKeepName;
    options.UseAppendedSystemValues = UseAppendedValues;
    options.Progress = Pump();
    const TOpenResult r = OpenNetworkFile(*Pad.Network, Pad.Settings, FileName, !Append, Boxes, options);
    if (r.Status == TOpenStatus::Failed) return false;
    if (!Append) Pad.FileName = Pad.Network->FileName; // untitled when only part was read
    // An opened network finds its pictures from the file read, even when it
    // becomes untitled; an append keeps the network's backgrounds and reads them again.
    Pad.LoadBackgroundImages(Append ? std::string() : FileName);
    return true;
}
} // namespace

bool TNetworkFileIO::Open(TSketchPadWindow& Pad, const std::string& FileName, bool Append, bool UseAppendedValues,
                          TMessageSink& Boxes)
{
    return OpenWith(Pad, FileName, Append, UseAppendedValues, !Append, Boxes);
}

bool TNetworkFileIO::OpenUnasked(TSketchPadWindow& Pad, const std::string& FileName, TMessageSink& Boxes)
{
    return OpenWith(Pad, FileName, false, false, false, Boxes);
}

bool TNetworkFileIO::Save(TSketchPadWindow& Pad, const std::string& FileName, int Version, TMessageSink& Boxes)
{
    return SaveNetworkFile(*Pad.Network, Pad.Settings, FileName, Version, Boxes, Pump()).Ok;
}
