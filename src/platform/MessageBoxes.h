// Message boxes of the program: the core's message sink shown as a QMessageBox.
// Texts are bytes in the files' code page; lines separated by LF CR show as
// line breaks.
#pragma once

#include <string>

#include "core/model/Messages.h"

class QString;
class QWidget;

class TQtMessageBoxes : public TMessageSink {
public:
    explicit TQtMessageBoxes(QWidget* Parent = nullptr) : FParent(Parent) {}
    void SetParent(QWidget* Parent) { FParent = Parent; }
    int MessageBox(const std::string& Text, const std::string& Caption, int Flags) override;
    // The same for a text as Qt holds it (lines separated by LF).
    int MessageBox(const QString& Text, const QString& Caption, int Flags);

private:
    QWidget* FParent;
};

// A message whose text names files as the disk spells them: the screen's
// boxes show it whole; any other sink (a recorder) is given its UTF-8 bytes.
int ShowMessageNamingFiles(TMessageSink& Sink, const QString& Text, const std::string& Caption, int Flags);
