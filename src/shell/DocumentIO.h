// How the windows read and write network files and ask for file names. The
// program uses the network file drivers and the Qt file dialogs; tests put
// their own in place.
#pragma once

#include <string>
#include <string_view>
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
    // Opens FileName without asking whether a file that holds nothing keeps
    // its name (it does not): the batch import's Open Network.
    virtual bool OpenUnasked(TSketchPadWindow& Pad, const std::string& FileName, TMessageSink& Boxes)
    {
        return Open(Pad, FileName, false, false, Boxes);
    }
    // Writes the pad's network to FileName in Version (1, 3..9; 9 the newest),
    // never damaging the file that was there; reports failures; returns success.
    virtual bool Save(TSketchPadWindow& Pad, const std::string& FileName, int Version, TMessageSink& Boxes) = 0;
};

// The name a save dialog was confirmed with (empty: cancelled) and the index,
// from 1, of the filter the user had chosen in it.
struct TSaveChoice {
    std::string Name;
    int Filter = 1;
};

// File names here are the disk's bytes (platform/FileNames.h), whatever
// letters they hold.
class TFileChooser {
public:
    virtual ~TFileChooser() = default;
    // Empty result: cancelled.
    virtual std::vector<std::string> OpenFiles(QWidget* Parent, const std::string& Caption) = 0;
    virtual std::string OpenFile(QWidget* Parent, const std::string& Caption) = 0;
    // The network save dialog: one filter per file version, then "All Files".
    virtual TSaveChoice SaveFile(QWidget* Parent, const std::string& Caption, const std::string& Initial) = 0;
    // A save dialog with a filter of the form "Name (*.ext)|*.ext|All Files|*.*"
    // and its first extension as the default suffix.
    virtual std::string SavePicture(QWidget* Parent, const std::string& Caption, const std::string& Initial,
                                    const std::string& Filter)
    {
        return SaveFile(Parent, Caption, Initial).Name;
    }
};

// The Qt file dialogs (the platform's where the desktop has its own) with the
// network filters: opening "ZOK Network (*.dta)" and "All Files", a name that
// is no file taking ".dta" when such a file is there; saving one filter per
// file version and "All Files", a name whose ending is none of the versions'
// extensions taking the chosen filter's (under "All Files" a name without
// any extension takes ".dta"). The rule is TFileDialog's (shell/FileDialog.h).
class TQtFileChooser : public TFileChooser {
public:
    std::vector<std::string> OpenFiles(QWidget* Parent, const std::string& Caption) override;
    std::string OpenFile(QWidget* Parent, const std::string& Caption) override;
    TSaveChoice SaveFile(QWidget* Parent, const std::string& Caption, const std::string& Initial) override;
    std::string SavePicture(QWidget* Parent, const std::string& Caption, const std::string& Initial,
                            const std::string& Filter) override;
};

// Qt's name filters for a filter of "name|patterns|..." pairs, the patterns
// separated by ';' ("Text files (*.txt)|*.txt|All files|*.*"). Each shows its
// name and, in parentheses, the patterns Qt applies, as Qt reads them from
// there: "Text files (*.txt)", "All files (*)". "*.*" stands for every file,
// as it does where these filters come from, while Qt would match it only to
// names with a dot: it becomes "*". A name that shows patterns of its own
// ("All files (*.*)") shows the ones Qt applies instead. With BothCases each
// pattern also stands in lower and upper case ("*.shp *.SHP").
std::vector<std::string> QtNameFilters(std::string_view Filter, bool BothCases = false);
// The same, as one string with ";;" between the filters.
std::string QtFilter(const std::string& Filter);
// The extension of the first pattern of the filter's Index-th entry (from 1):
// "txt" for "*.txt;*.dbf"; empty when the pattern names none ("*", "*.*", "*.rt?").
std::string FilterSuffix(const std::string& Filter, int Index = 1);
