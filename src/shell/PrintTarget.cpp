#include "shell/PrintTarget.h"

#include <cctype>

#include <QFile>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>

#include "core/file/LegacyText.h"
#include "platform/FileNames.h"

namespace {

class TPrinterTarget : public TPrintTarget {
public:
    TPrinterTarget(QPrinter& Printer, const std::string& FileName) : P(Printer), FFile(FileName) {}
    ~TPrinterTarget() override { Abort(); }

    TPrintDevice Device() const override
    {
        TPrintDevice d;
        const int res = P.resolution();
        d.DpiX = d.DpiY = res > 0 ? res : 600;
        const QRect paint = P.pageLayout().paintRectPixels(res);
        d.OffsetX = paint.left();
        d.OffsetY = paint.top();
        d.Width = paint.width();
        d.Height = paint.height();
        return d;
    }

    bool Begin(const std::string& Title) override
    {
        Abort();
        P.setDocName(ShownName(Title));
        FPicture = std::make_unique<QPicture>();
        FPainter = std::make_unique<QPainter>();
        if (!FPainter->begin(FPicture.get())) return false;
        FCanvas = std::make_unique<TQPainterCanvas>(*FPainter);
        return true;
    }

    TCanvas& Canvas() override { return *FCanvas; }

    void SetClip(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) override
    {
        if (FPainter) FPainter->setClipRect(QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)));
    }

    void Abort() override
    {
        FCanvas.reset();
        if (FPainter && FPainter->isActive()) FPainter->end();
        FPainter.reset();
        FPicture.reset();
    }

    bool End() override
    {
        if (!FPainter || !FPicture) return false;
        FCanvas.reset();
        FPainter->end();
        FPainter.reset();
        std::unique_ptr<QPicture> picture = std::move(FPicture);
        if (FFile.empty()) return Play(*picture);
        // The file goes through the network file's target rules: only a
        // regular file the user may write, or a new name, is replaced (a
        // link keeps pointing at the new copy); the copy is written beside
        // it, synced and renamed over it. The printer writes its PDF into a
        // private folder first, so nothing beside the target is opened twice.
        std::string error;
        TTextWriter writer;
        if (!writer.BeginFile(FFile, error)) return false;
        QTemporaryDir scratch;
        if (!scratch.isValid()) {
            writer.Abandon();
            return false;
        }
        const QString pdf = scratch.filePath("plot.pdf");
        const QString oldName = P.outputFileName();
        P.setOutputFileName(pdf);
        const bool played = Play(*picture);
        P.setOutputFileName(oldName);
        QFile made(pdf);
        if (!played || !made.open(QIODevice::ReadOnly) || made.size() <= 0) {
            writer.Abandon();
            return false;
        }
        const QByteArray bytes = made.readAll();
        if (bytes.size() != made.size()) {
            writer.Abandon();
            return false;
        }
        try {
            writer.WriteRaw(std::string_view(bytes.constData(), size_t(bytes.size())));
        } catch (const TFileWriteError&) {
        }
        return writer.Commit(error);
    }

private:
    bool Play(const QPicture& picture)
    {
        QPainter painter;
        if (!painter.begin(&P)) return false;
        // A picture played on a device scales itself from its own resolution
        // to the device's; it was drawn in the device's pixels already.
        const double sx = double(picture.logicalDpiX()) / std::max(1, P.logicalDpiX());
        const double sy = double(picture.logicalDpiY()) / std::max(1, P.logicalDpiY());
        painter.scale(sx, sy);
        painter.drawPicture(0, 0, picture);
        return painter.end();
    }

    QPrinter& P;
    std::string FFile;
    std::unique_ptr<QPicture> FPicture;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TQPainterCanvas> FCanvas;
};

} // namespace

std::unique_ptr<TPrintTarget> MakePrinterTarget(QPrinter& Printer, const std::string& FileName)
{
    return std::make_unique<TPrinterTarget>(Printer, FileName);
}

std::string CopyFileName(const std::string& FileName, int Copy, int Copies)
{
    if (Copies <= 1) return FileName;
    const std::string k = "-" + std::to_string(Copy);
    const size_t n = FileName.size();
    if (n >= 4) {
        std::string ext = FileName.substr(n - 4);
        for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".pdf") return FileName.substr(0, n - 4) + k + FileName.substr(n - 4);
    }
    return FileName + k;
}

bool TRecordingPrintTarget::Begin(const std::string& Title)
{
    TJob job;
    job.Title = Title;
    Jobs->push_back(std::move(job));
    FCanvas = std::make_unique<TRecordingCanvas>(TCanvasRect{0, 0, Dev.Width, Dev.Height});
    return true;
}

void TRecordingPrintTarget::SetClip(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom)
{
    if (FCanvas) FCanvas->Clip = {Left, Top, Right, Bottom};
    if (!Jobs->empty()) Jobs->back().Clip = {Left, Top, Right, Bottom};
}

void TRecordingPrintTarget::Abort()
{
    if (!FCanvas) return;
    Jobs->back().Aborted = true;
    FCanvas.reset();
}

bool TRecordingPrintTarget::End()
{
    if (!FCanvas) return false;
    Jobs->back().Calls = std::move(FCanvas->Calls);
    FCanvas.reset();
    if (FailEnd) return false;
    Jobs->back().Ended = true;
    return true;
}
