// "Background Graphics -- JPEG" and "Background Graphics -- Metafiles": the
// ten raster or metafile slots of a window, one page each, over a working
// set; and "Underlay Network", the window drawn beneath this one.
#pragma once

#include <array>

#include <QDialog>

#include "display/BackgroundSet.h"

class QComboBox;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TSketchPadWindow;

class TBackgroundsDB : public QDialog {
    Q_OBJECT
public:
    // Raster: the JPEG slots; Metafile: the metafile slots (SVG drawings).
    TBackgroundsDB(TSketchPadWindow& Pad, TBackgroundKind Kind, QWidget* Parent = nullptr);

    TBackgroundWorkingSet Working;
    int CurrentSlot = 1;
    QTabWidget* PageControl = nullptr;
    std::array<QLineEdit*, 11> NameEdits{}, XEdits{}, YEdits{}, XScaleEdits{}, YScaleEdits{};
    QPushButton *OKButton = nullptr, *ReferenceButton = nullptr, *RemoveButton = nullptr,
                *PromoteButton = nullptr, *DemoteButton = nullptr, *ClipboardButton = nullptr;

    // "R&eference" (or a double click on the name): the file dialog, then
    // the slot takes the chosen file.
    void ReferenceClick();
    void ClipboardClick();
    void RemoveClick();
    void PromoteClick();
    void DemoteClick();
    // OK: the window takes every slot when all load and read; otherwise the
    // failed edits turn red, a message says so and the dialog stays open.
    void accept() override;
    // The edits' texts into the working set, and back.
    void Pull();
    void Push();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void PageChanged(int Index);
    void SetRed(QLineEdit* Edit, bool Red);
    TSketchPadWindow& FPad;
};

class TUnderlayDB : public QDialog {
    Q_OBJECT
public:
    explicit TUnderlayDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
    QComboBox* ComboBox1 = nullptr; // "None", then every open window
    // The underlay number OK gives: the chosen window, or the stored number
    // when nothing (or the window itself) is chosen.
    int32_t Underlay() const;

private:
    TSketchPadWindow& FPad;
};
