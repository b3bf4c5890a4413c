// What the schema and element dialogs share: the network and window they act
// for, how they run a nested dialog and show a message box, and the text
// conversions at the dialog boundary.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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
// What a user typed as bytes: line breaks become blanks (kept as they are
// with keepBreaks), and the text is cut to width bytes. A character outside
// Windows-1252 would become '?': a dialog refuses such text first (below).
std::string TypedText(const QString& text, size_t width = std::string::npos, bool keepBreaks = false);
// Whether the network file can keep the texts typed into the fields (line
// edits, memos, drop-downs): it cannot keep characters outside
// Windows-1252. A field that holds any is marked bad and one message box
// names them (a field that no longer holds any loses that mark); the dialog
// then stays open, as for any other bad input.
bool TypedTextsKept(const std::vector<QWidget*>& fields, TMessageSink* boxes);
// Sets a field's text colour to red (bad) or black.
void MarkBad(QWidget* edit, bool bad);
bool IsMarkedBad(const QWidget* edit);

// A push button with its object name and, when given, its hint.
QPushButton* NamedButton(QWidget* parent, const char* name, const char* text, const char* hint = nullptr);
// A row of buttons at the right edge (nullptr entries are left out).
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);
