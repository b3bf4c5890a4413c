// "Plot Page Setup": the plot title with its font and colour, the scale,
// monochrome and centred-title switches, the four margins and the image
// shift of a window's plots. It edits a copy and gives it back only on OK;
// a setup that fails its check is refused field by field (red) with
// "Illegal page setup." and the dialog stays open.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "core/edit/PlotPage.h"
#include "core/model/LabelSettings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class TMessageSink;

struct TPlotSetup {
    TPlotPage Page;
    std::string Title; // up to 80 characters
    TLogFont TitleFont;
    int32_t TitleColor = 0; // $00BBGGRR
    bool Monochrome = false;
    bool CenterTitle = false;
};

// A title font for the font dialog (heights in screen pixels at 96 per inch)
// and back: the face, size, italic, underline, strike-out and bold (weight 700).
QFont TitleFontToQFont(const TLogFont& Font);
TLogFont TitleFontFromQFont(const QFont& Font, const TLogFont& Base);

class TPlotDB : public QDialog {
    Q_OBJECT
public:
    // Exec runs the font and colour dialogs; Help shows a help topic.
    TPlotDB(TPlotSetup& Setup, const TPlotExtents& Extents, TMessageSink& Boxes,
            std::function<int(QDialog&)> Exec, std::function<void(int)> Help, QWidget* Parent = nullptr);

    QLineEdit* TitleEdit;
    QPushButton* FontButton;
    QLineEdit* ScaleEdit;
    QCheckBox *MonochromeCB, *CenterTitleCB;
    QLineEdit *TopEdit, *BottomEdit, *LeftEdit, *RightEdit;
    QLineEdit *DownEdit, *ShiftRightEdit;
    QPushButton *OKBtn, *CancelBtn, *HelpBtn;

    // The font dialog on the dialog's copy of the title font, then the
    // colour dialog on its colour.
    void ChooseTitleFont();
    void accept() override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    TPlotSetup& FSetup;
    TPlotExtents FExtents;
    TMessageSink& FBoxes;
    std::function<int(QDialog&)> FExec;
    std::function<void(int)> FHelp;
    TLogFont FFont;
    int32_t FColor;
};
