// What the schema and element dialogs share: the network and window they act
// for, how they run a nested dialog and show a message box, and the text
// conversions at the dialog boundary.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include <QDialog>
#include <QString>

class TNetwork;
class TMessageSink;
struct TViewRecord;
struct TWindowSettings;
class TSketchPadWindow;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
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
// line breaks blanks (kept as they are with keepBreaks), and the text is cut
// to width bytes.
std::string TypedText(const QString& text, size_t width = std::string::npos, bool keepBreaks = false);
// Sets a line edit's colour to red (bad) or black.
void MarkBad(QLineEdit* edit, bool bad);
bool IsMarkedBad(const QLineEdit* edit);

// A push button with its object name and, when given, its hint.
QPushButton* NamedButton(QWidget* parent, const char* name, const char* text, const char* hint = nullptr);
// A row of buttons at the right edge (nullptr entries are left out).
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);
