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

#include "platform/CodePage.h"

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

// A push button with its object name and, when given, its hint.
QPushButton* NamedButton(QWidget* parent, const char* name, const char* text, const char* hint = nullptr);
// A row of buttons at the right edge (nullptr entries are left out).
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);
