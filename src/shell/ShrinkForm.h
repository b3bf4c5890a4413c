// TShrinkForm: the base of the dialogs that show one row per entity class or
// attribute. After the derived form has built its controls it calls
// FindRows(); ShowShrunk then shows the rows in use and shrinks the form.
#pragma once

#include <array>
#include <vector>

#include <QDialog>

class QTabWidget;

class TShrinkForm : public QDialog {
    Q_OBJECT
public:
    explicit TShrinkForm(QWidget* Parent = nullptr);

    int FullHeight = 0;
    int PageFullHeight = 0;
    int ShrinkByMinRows = 0;
    int RowPitch = 0;
    int MinRows = 0;
    int RowCount = 0;
    int FontPixels = 0;
    void* Data = nullptr;
    int Count = 0;
    int ShrinkAmount = 0;
    int ShrinkByCount = 0;
    int Mode = 0;
    int FallbackRowCount = 0, FallbackRowPitch = 0;
    int TabCount = 0;
    std::array<QWidget*, 101> Rows{};    // 1..100: "RadioButton<n>"
    std::array<QWidget*, 11> Tabs{};     // 1..10: "TabSheet<n>"
    QTabWidget* PageControl = nullptr; // "PageControl..."
    uint8_t HasPageControl = 0, HasRows = 0;

    // Finds the numbered rows and tabs by control name and records the design
    // height. Call once the form's controls exist.
    void FindRows();
    // Other controls of row n that show and hide with it.
    void AddRowWidget(int Row, QWidget* W);

    // Shows rows 1..Count (at least MinRows worth of height) modally.
    int ShowShrunk(int Count, int Mode, int MinRows, void* Data);
    // The same preparation without showing (ShowShrunk = PrepareShrunk + exec).
    void PrepareShrunk(int Count, int Mode, int MinRows, void* Data);
    // The first checked row, counting from 1; 0 when none.
    int CheckedRow() const;

private:
    std::vector<std::pair<int, QWidget*>> FRowWidgets;
};
