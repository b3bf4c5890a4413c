// "Scale", "Translate" and "Rotate": the amounts are expressions; OK
// transforms the network of the window (every view follows) and records the
// transform for "&Undo Transform". A text that fails turns red and the
// dialog stays open.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TSketchPadWindow;

class TTransformDB : public QDialog {
    Q_OBJECT
public:
    // Kind: TransformTranslate, TransformScale or TransformRotate.
    TTransformDB(TSketchPadWindow& Pad, int Kind, QWidget* Parent = nullptr);
    const int Kind;
    QLineEdit* Edits[2] = {nullptr, nullptr}; // X and Y (the angle alone for a rotation)
    QLabel* XStatic = nullptr;
    QLabel* YStatic = nullptr;
    QCheckBox* ExemptLayersCB = nullptr;
    QPushButton *OKBN = nullptr, *CancelBN = nullptr;
    void accept() override;

private:
    TSketchPadWindow& FPad;
};

class TSetScaleDB : public TTransformDB {
    Q_OBJECT
public:
    explicit TSetScaleDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
};

class TSetTranslateDB : public TTransformDB {
    Q_OBJECT
public:
    explicit TSetTranslateDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
};

class TSetRotateDB : public TTransformDB {
    Q_OBJECT
public:
    explicit TSetRotateDB(TSketchPadWindow& Pad, QWidget* Parent = nullptr);
};
