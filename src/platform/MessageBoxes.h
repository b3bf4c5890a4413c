// Message boxes of the program: the core's message sink shown as a QMessageBox.
// Texts are bytes in the files' code page; lines separated by LF CR show as
// line breaks.
#pragma once

#include <string>

#include "core/model/Messages.h"

class QWidget;

class TQtMessageBoxes : public TMessageSink {
public:
    explicit TQtMessageBoxes(QWidget* Parent = nullptr) : FParent(Parent) {}
    void SetParent(QWidget* Parent) { FParent = Parent; }
    int MessageBox(const std::string& Text, const std::string& Caption, int Flags) override;

private:
    QWidget* FParent;
};
