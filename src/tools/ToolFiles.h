// File dialogs and field colours shared by the import dialogs.
#pragma once

#include <string_view>

class QFileDialog;
class QLineEdit;
class QWidget;

// A file dialog of our own (never the platform's), for opening an existing
// file or saving one, that gives DefaultSuffix by the rule of TFileDialog.
// PipeFilter is a filter of "description|patterns|..." pairs (QtNameFilters);
// files copied from other systems often carry upper-case extensions, so each
// pattern also stands in upper case.
QFileDialog* MakeFileChooser(QWidget* Parent, const char* Name, const char* Title, std::string_view PipeFilter,
                             bool Save, const char* DefaultSuffix);

// Selects the dialog's Index-th filter (from 1) of the PipeFilter it was made
// with. A name then takes the extension of the filter selected, now and when
// the user selects another (none for a filter that names no extension, such
// as every file's), by the rule of TFileDialog.
void SelectFilter(QFileDialog& Dialog, std::string_view PipeFilter, int Index);

// A field whose text failed to read shows it red.
void SetTextRed(QLineEdit* Edit, bool Red);
