// The program's file dialogs and the one rule by which a name typed into any
// of them takes the dialog's default extension.
#pragma once

#include <QFileDialog>
#include <QStringList>

// How a dialog uses the name it is given.
enum class TNameUse {
    Save,   // a file to write
    Open,   // a file that must be there
    Either, // a file that is there, or one a later step writes (the batch rows)
};

// The name a dialog hands on for Name (a full path) under the rule:
// - Save: a name whose ending is not one of the dialog's own extensions
//   (OwnExtensions, lower case, without the dot) takes Extension; under a
//   filter that names no extension (every file's) only a name without any
//   dot takes it.
// - Open: a name that is no file, where Name + "." + Extension is one, is that file.
// - Either: a file that is there keeps its name; any other name as for Save.
// Dots that end a name are no extension and go where one is added ("x." is
// "x.dta", never "x..dta"). A folder keeps its name, and nothing is added
// where Extension is empty.
QString NameWithExtension(const QString& Name, TNameUse Use, const QString& Extension,
                          const QStringList& OwnExtensions, bool FilterNamesExtension);

// The extensions (lower case, without the dot) that the patterns of a name
// filter ("Widths (*.wdt)", "Update (*.txt *.dbf)") name; none for "All Files (*)".
QStringList FilterExtensions(const QString& NameFilter);

// A file dialog whose default extension follows that rule. Its extension is
// its own, never Qt's default suffix: a name typed without an extension that
// is a file of its own ("both" beside "both.dta") is not given one.
class TFileDialog : public QFileDialog {
public:
    TFileDialog(QWidget* Parent, const QString& Caption, const QStringList& NameFilters = {});

    // One extension under every filter.
    void SetDefaultExtension(const QString& Extension) { FExtension = Extension; }
    // Or one per filter, in the order of the name filters.
    void SetFilterExtensions(const QStringList& Extensions) { FFilterExtensions = Extensions; }
    // The extension a name takes under the filter chosen now.
    QString DefaultExtension() const;
    // The place, from 1, of the chosen filter among the name filters (1 when
    // it is none of them); a platform's dialog may name it without its patterns.
    int ChosenFilter() const;
    // The files chosen, each as the rule makes it.
    QStringList ChosenFiles() const;

    // Before Qt's own checks (a file that must be there, the question before
    // a file is replaced), the name typed becomes the name the rule gives.
    void accept() override;

private:
    TNameUse Use() const;

    QString FExtension;
    QStringList FFilterExtensions;
};

// The files chosen in any file dialog: a TFileDialog's as its rule makes them.
QStringList ChosenFiles(const QFileDialog& Dialog);
