// TOverlayAreaDB, "Overlay Area": measures the area that the polygons of all
// visible layers of a window have in common, in square units of the
// "Pixels per Linear Unit:" factor it sets for the window.
#pragma once

#include <functional>

#include <QDialog>

class QLineEdit;
class QPushButton;
class TNetwork;
class TSketchPadWindow;
class TZOKMainWindow;
struct TViewRecord;
struct TWindowSettings;

class TOverlayAreaDB : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1400;

    TOverlayAreaDB(TNetwork& Net, TWindowSettings& Settings, TViewRecord& View, QWidget* Parent = nullptr);

    QLineEdit* StatusEdit = nullptr; // read-only: "Inactive", the scan's progress, the area
    QLineEdit* UnitsEdit = nullptr;  // "Pixels per Linear Unit:"
    QPushButton *GoButton = nullptr, *CloseButton = nullptr, *HelpButton = nullptr;

    // "&Go": scans and shows the area.
    void GoClick();
    bool Scanning() const { return FScanning; }

    // Holds the network while a scan runs (true) and lets it go (false): no
    // window may close or change it meanwhile.
    std::function<void(bool)> HoldNetwork;
    // Shows help topic 1400 (default: a help window of the dialog's own).
    std::function<void(int)> ShowHelp;

    void reject() override;

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    TNetwork& FNet;
    TWindowSettings& FSettings;
    TViewRecord& FView;
    bool FScanning = false;
};

// Puts the "&Overlay Area..." item's command into the main window's item
// table; the scan holds the window's network on the busy gate while it runs.
void RegisterOverlayPadItems(TZOKMainWindow& Main);
