// File dialogs and field colours shared by the import dialogs.
#pragma once

#include <string_view>

#include <QStringList>

class QFileDialog;
class QLineEdit;
class QWidget;

// Qt name filters from a filter of "description|patterns|..." pairs
// (patterns separated by ';'). Names match their patterns in either case, as
// files copied from other systems often carry upper-case extensions: each
// pattern also stands in upper case, and "*.*" stands for every file.
QStringList NameFiltersOf(std::string_view PipeFilter);

// A file dialog of our own (never the platform's), for opening an existing
// file or saving one; DefaultSuffix is added to a name typed without one.
QFileDialog* MakeFileChooser(QWidget* Parent, const char* Name, const char* Title, std::string_view PipeFilter,
                             bool Save, const char* DefaultSuffix);

// A field whose text failed to read shows it red.
void SetTextRed(QLineEdit* Edit, bool Red);
