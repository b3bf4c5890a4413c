// Message boxes: the texts come from the string table as bytes, the box shows
// them in a QMessageBox. Tests put a recorder in its place so that no modal box
// ever opens while they run.
#pragma once

#include <deque>
#include <string>
#include <vector>

class QWidget;

// Box flags (button set in the low nibble, icon in the next).
constexpr int BoxOk = 0x00;
constexpr int BoxOkCancel = 0x01;
constexpr int BoxYesNoCancel = 0x03;
constexpr int BoxYesNo = 0x04;
constexpr int BoxIconStop = 0x10;
constexpr int BoxIconQuestion = 0x20;
constexpr int BoxIconExclamation = 0x30;
constexpr int BoxIconInformation = 0x40;

// Answers.
constexpr int IdOk = 1;
constexpr int IdCancel = 2;
constexpr int IdYes = 6;
constexpr int IdNo = 7;

class TMessageBoxes {
public:
    virtual ~TMessageBoxes() = default;
    // Shows Text under Caption with the given flags; returns the answer.
    virtual int Show(const std::string& Text, const std::string& Caption, int Flags) = 0;
};

// The program's boxes, parented to a window when one is given.
class TQtMessageBoxes : public TMessageBoxes {
public:
    explicit TQtMessageBoxes(QWidget* Parent = nullptr) : FParent(Parent) {}
    void SetParent(QWidget* Parent) { FParent = Parent; }
    int Show(const std::string& Text, const std::string& Caption, int Flags) override;

private:
    QWidget* FParent;
};

// Records every box and answers from a queue (the default answer when the
// queue is empty: OK for OK boxes, Cancel otherwise).
class TMessageRecorder : public TMessageBoxes {
public:
    struct TEntry {
        std::string Text, Caption;
        int Flags;
    };
    std::vector<TEntry> Shown;
    std::deque<int> Answers;

    int Show(const std::string& Text, const std::string& Caption, int Flags) override;
    void Clear() { Shown.clear(); Answers.clear(); }
};

// Texts in the string table separate lines by LF then CR; a box shows them as
// plain line breaks.
std::string BoxLineBreaks(const std::string& Text);
