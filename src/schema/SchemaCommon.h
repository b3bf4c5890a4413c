// What the schema and element dialogs share: the network and window they act
// for, how they run a nested dialog and show a message box, and the text
// conversions at the dialog boundary.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <QDialog>
#include <QString>

class TNetwork;
class TMessageSink;
struct TViewRecord;
struct TWindowSettings;
class TSketchPadWindow;
class QLineEdit;
class QWidget;

// The window a dialog acts for. Exec runs every modal dialog (tests replace
// it); Boxes receives every message box.
struct TSchemaContext {
    TNetwork* Net = nullptr;
    TWindowSettings* Settings = nullptr;
    const TViewRecord* View = nullptr;
    TMessageSink* Boxes = nullptr;
    TSketchPadWindow* Pad = nullptr; // nullptr in tests of single dialogs
    std::function<int(QDialog&)> Exec = [](QDialog& d) { return d.exec(); };
    double UnitsFactor() const;
};

// Bytes (Windows-1252) as the dialogs show them.
QString ShowText(std::string_view bytes);
// What a user typed as bytes: characters outside Windows-1252 become '?',
// line breaks blanks, and the text is cut to width bytes.
std::string TypedText(const QString& text, size_t width = std::string::npos);
// Sets a line edit's colour to red (bad) or black.
void MarkBad(QLineEdit* edit, bool bad);
bool IsMarkedBad(const QLineEdit* edit);
