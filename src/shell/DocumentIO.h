// How the windows read and write network files and ask for file names. The
// program uses the network file drivers and the Qt file dialogs; tests put
// their own in place.
#pragma once

#include <string>
#include <vector>

class QWidget;
class TSketchPadWindow;
class TMessageSink;

class TNetworkIO {
public:
    virtual ~TNetworkIO() = default;
    // Reads FileName into the pad's network, or appends it (the appended
    // file's system values replacing the network's when UseAppendedValues).
    // Reports its own failures through Boxes; returns success. A failed
    // append leaves the network as it was.
    virtual bool Open(TSketchPadWindow& Pad, const std::string& FileName, bool Append, bool UseAppendedValues,
                      TMessageSink& Boxes) = 0;
    // Writes the pad's network to FileName in the newest version, never
    // damaging the file that was there; reports failures; returns success.
    virtual bool Save(TSketchPadWindow& Pad, const std::string& FileName, TMessageSink& Boxes) = 0;
};

class TFileChooser {
public:
    virtual ~TFileChooser() = default;
    // Empty result: cancelled.
    virtual std::vector<std::string> OpenFiles(QWidget* Parent, const std::string& Caption) = 0;
    virtual std::string OpenFile(QWidget* Parent, const std::string& Caption) = 0;
    virtual std::string SaveFile(QWidget* Parent, const std::string& Caption, const std::string& Initial) = 0;
    // A save dialog with a filter of the form "Name (*.ext)|*.ext|All Files|*.*"
    // and its first extension as the default suffix.
    virtual std::string SavePicture(QWidget* Parent, const std::string& Caption, const std::string& Initial,
                                    const std::string& Filter)
    {
        return SaveFile(Parent, Caption, Initial);
    }
};

// The Qt file dialogs with the network filter ("ZOK Network (*.dta)", "All Files").
class TQtFileChooser : public TFileChooser {
public:
    std::vector<std::string> OpenFiles(QWidget* Parent, const std::string& Caption) override;
    std::string OpenFile(QWidget* Parent, const std::string& Caption) override;
    std::string SaveFile(QWidget* Parent, const std::string& Caption, const std::string& Initial) override;
    std::string SavePicture(QWidget* Parent, const std::string& Caption, const std::string& Initial,
                            const std::string& Filter) override;
};

// A filter "Name (*.ext)|*.ext|All Files|*.*" as Qt's "Name (*.ext);;All Files (*.*)",
// and the first pattern's extension ("ext"; empty when it has none).
std::string QtFilter(const std::string& Filter);
std::string FilterSuffix(const std::string& Filter);
