// The small dialogs of the main window and the sketch pad. Each is created by
// its caller, shown modally and freed; they edit the values handed to them and
// write them back only on OK.
#pragma once

#include <string>

#include <QDialog>

#include "core/model/WindowSettings.h"
#include "shell/PadSettings.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TMessageSink;
class trealedit;

class TAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDialog(QWidget* Parent = nullptr);
    QLabel *Image1, *Image2, *StaticText1, *StaticText2;
    QPushButton* Button1;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
};

class TSplash : public QWidget {
    Q_OBJECT
public:
    explicit TSplash(QWidget* Parent = nullptr);
    QLabel* Image1;
    // Shows itself centred on the screen and paints at once.
    void ShowNow();
};

class TSnapDB : public QDialog {
    Q_OBJECT
public:
    explicit TSnapDB(int SnapStep, QWidget* Parent = nullptr);
    QSpinBox* SnapEB;
};

class TCoordinates : public QDialog {
    Q_OBJECT
public:
    TCoordinates(int X, int Y, QWidget* Parent = nullptr);
    QSpinBox *XCoord, *YCoord;
};

class TLinkSpliceRulesDB : public QDialog {
    Q_OBJECT
public:
    TLinkSpliceRulesDB(TSpliceSettings& Rules, QWidget* Parent = nullptr);
    QLineEdit* Edit1;
    QCheckBox* CheckBox1;
    QButtonGroup* RadioGroup1;
    void accept() override;

private:
    TSpliceSettings& FRules;
};

class TReinitializeOptionsDB : public QDialog {
    Q_OBJECT
public:
    TReinitializeOptionsDB(TReinitializeExemptions& Options, QWidget* Parent = nullptr);
    QCheckBox *CheckBox1, *CheckBox2;
    void accept() override;

private:
    TReinitializeExemptions& FOptions;
};

class TPreferencesDB : public QDialog {
    Q_OBJECT
public:
    TPreferencesDB(TUnitsSettings& Units, TMessageSink& Boxes, QWidget* Parent = nullptr);
    trealedit* Edit1;
    QButtonGroup* RadioGroup1;
    QCheckBox* UpdateLongLatCB;
    QPushButton* Button3;
    // Validates the factor: a text that is not a number, or a factor of zero
    // or less, is refused with "Error in scale" and the dialog stays open.
    void accept() override;

private:
    TUnitsSettings& FUnits;
    TMessageSink& FBoxes;
};

struct TExtents {
    int32_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

class TExtentsDB : public QDialog {
    Q_OBJECT
public:
    TExtentsDB(const TExtents& Extents, QWidget* Parent = nullptr);
    QSpinBox *TopSE, *BottomSE, *LeftSE, *RightSE;
    TExtents Result() const;
};

class TSystemDispositionDB : public QDialog {
    Q_OBJECT
public:
    explicit TSystemDispositionDB(QWidget* Parent = nullptr);
    QPushButton *Button1, *Button2;
};
