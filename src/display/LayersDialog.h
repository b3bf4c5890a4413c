// "Layers": the name of each of the window's ten layers and the lowest zoom
// level at which it is drawn, or "Never".
#pragma once

#include <array>

#include "core/model/DisplaySettings.h"
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TZOKMainWindow;

class TLayerDB : public QDialog {
    Q_OBJECT
public:
    TLayerDB(TZOKMainWindow& Main, const TLayerSettings& Layers, QWidget* Parent = nullptr);
    std::array<QLineEdit*, 11> Edits{};     // Edit1..Edit10
    std::array<QComboBox*, 11> ComboBoxes{}; // ComboBox1..ComboBox10
    QLabel* Label1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *HelpButton = nullptr;
    // The states and names as edited; a state that no item showed stays as
    // it was unless its list was changed.
    void Store(TLayerSettings& Layers) const;

protected:
    // OK: only names the network file can keep.
    void accept() override;

private:
    TZOKMainWindow& FMain;
    TLayerSettings FShown;
    std::array<bool, 11> FChanged{};
};
