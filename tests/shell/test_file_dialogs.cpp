// The network file dialogs as the user meets them (Qt's own dialog, as the
// offscreen platform has no other): the filters, the extension a typed name
// takes, and what Save As and Open then do with the answer.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "core/model/Network.h"
#include "file_dialog_listing.h"
#include "program_fixture.h"
#include "shell/DocumentIO.h"

namespace {

// Once a file dialog is shown modally: Act on it, then confirm it as its
// Save or Open button does. A dialog that never shows, or that refuses the
// name (a message box, or the dialog staying open), fails the test instead
// of leaving it waiting.
void WhenShown(const std::function<void(QFileDialog&)>& Act)
{
    auto* poll = new QTimer(qApp); // freed with the application if the test ends first
    auto tries = std::make_shared<int>(0);
    auto shown = std::make_shared<QPointer<QFileDialog>>();
    QObject::connect(poll, &QTimer::timeout, [poll, tries, shown, Act] {
        auto done = [poll] {
            poll->stop();
            poll->deleteLater();
        };
        QWidget* modal = QApplication::activeModalWidget();
        if (*tries < 0) {
            // Confirmed: the dialog should be gone; what still asks is a refusal.
            QFileDialog* d = *shown;
            if (!d || !d->isVisible()) return done();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                ADD_FAILURE() << "the dialog said: " << box->text().toStdString();
                box->reject();
            } else if (--*tries < -20) {
                ADD_FAILURE() << "the dialog stayed open";
                d->reject();
            }
            return;
        }
        auto* d = qobject_cast<QFileDialog*>(modal);
        if (!d) {
            if (++*tries < 500) return;
            ADD_FAILURE() << "no file dialog was shown";
            return done();
        }
        *shown = d;
        *tries = -1;
        Act(*d);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    poll->start(10);
}

// The filter the user picks from the dialog's list with the keyboard (index from 1).
void ChooseFilter(QFileDialog& d, int Index)
{
    auto* types = d.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    QTest::keyClick(types, Qt::Key_Home);
    for (int i = 1; i < Index; ++i) QTest::keyClick(types, Qt::Key_Down);
}

QLineEdit* NameEdit(QFileDialog& d) { return d.findChild<QLineEdit*>("fileNameEdit"); }

void TypeName(QFileDialog& d, const QString& Name)
{
    QLineEdit* edit = NameEdit(d);
    auto* list = d.findChild<QListView*>("listView");
    ASSERT_TRUE(edit && list);
    // Typed into the focused field, as a user types. Without the focus the
    // field would take the names of the files selected in the dialog's list,
    // and the dialog answers with those before the name typed: whatever a
    // window shown meanwhile does to the focus, the list holds no selection
    // while the name is typed, nor after it.
    QApplication::setActiveWindow(&d);
    edit->setFocus(Qt::OtherFocusReason);
    list->clearSelection();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier); // typed over the name it had
    // A letter beyond ASCII arrives as the text of its key, as from a keyboard layout that has it.
    for (QChar c : Name)
        if (c.unicode() < 0x80)
            QTest::keyClick(edit, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    list->clearSelection();
    EXPECT_EQ(edit->text(), Name);
}

std::string FirstLine(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return "(missing)";
    return f.readLine().trimmed().toStdString();
}

class FileDialogs : public programtest::TProgramTest {
protected:
    TQtFileChooser Dialogs;
    QString Folder() const { return Dir.path(); }
    std::string File(const QString& name) const { return Dir.filePath(name).toStdString(); }
};

} // namespace

// Save As offers one filter per file version, newest first, then "All
// Files"; a name whose ending is none of their extensions takes the chosen
// filter's (a dot inside the name is no extension), and the answer says which
// filter that was.
TEST_F(FileDialogs, SaveDialogFiltersAndTheExtensionATypedNameTakes)
{
    QStringList filters;
    WhenShown([&](QFileDialog& d) {
        filters = d.nameFilters();
        EXPECT_EQ(d.selectedNameFilter(), "ZOK Network (*.dta)");
        d.setDirectory(Folder());
        ChooseFilter(d, 4);
        TypeName(d, "AM peak 7:30 to 8:30");
    });
    TSaveChoice c = Dialogs.SaveFile(nullptr, "Save As", "");
    EXPECT_EQ(filters, (QStringList{"ZOK Network (*.dta)", "Versions 1-2 Network (*.dt1)",
                                    "Versions 3-4 Network (*.dt2)", "Version 5 Network (*.dt3)",
                                    "Version 5.1 Network (*.dt4)", "Version 6 Network (*.dt5)",
                                    "Version 7 Network (*.dt6)", "Version 8 Network (*.dt7)", "All Files (*)"}));
    EXPECT_EQ(c.Name, File("AM peak 7:30 to 8:30.dt3"));
    EXPECT_EQ(c.Filter, 4);

    // Every version's filter gives its own extension.
    const char* const extensions[] = {"dta", "dt1", "dt2", "dt3", "dt4", "dt5", "dt6", "dt7"};
    for (int filter = 1; filter <= 8; ++filter) {
        WhenShown([&](QFileDialog& d) {
            d.setDirectory(Folder());
            ChooseFilter(d, filter);
            TypeName(d, "net");
        });
        c = Dialogs.SaveFile(nullptr, "Save As", "");
        EXPECT_EQ(c.Name, File(QString("net.") + extensions[filter - 1])) << filters.value(filter - 1).toStdString();
        EXPECT_EQ(c.Filter, filter);
    }
    // Names with dots; one that ends in an extension of the dialog keeps it,
    // in either case.
    struct TTyped {
        int Filter;
        const char* Typed;
        const char* Saved;
    };
    for (const TTyped& t : {TTyped{2, "AM peak 7.30", "AM peak 7.30.dt1"},
                            TTyped{4, "Scenario v2.1 PM", "Scenario v2.1 PM.dt3"},
                            TTyped{8, "plan.dta", "plan.dta"}, TTyped{2, "PLAN.DT1", "PLAN.DT1"},
                            TTyped{1, "x.", "x.dta"}, TTyped{9, "y..", "y.dta"}}) {
        WhenShown([&](QFileDialog& d) {
            d.setDirectory(Folder());
            ChooseFilter(d, t.Filter);
            TypeName(d, t.Typed);
        });
        c = Dialogs.SaveFile(nullptr, "Save As", "");
        EXPECT_EQ(c.Name, File(t.Saved)) << t.Typed;
    }

    // The name the dialog starts with changes its extension with the filter.
    WhenShown([&](QFileDialog& d) { ChooseFilter(d, 8); });
    c = Dialogs.SaveFile(nullptr, "Save As", File("net.dta"));
    EXPECT_EQ(c.Name, File("net.dt7"));
    EXPECT_EQ(c.Filter, 8);

    // "All Files": a name typed with an extension keeps it, one without takes ".dta".
    for (const char* typed : {"plain", "plain.txt"}) {
        WhenShown([&](QFileDialog& d) {
            d.setDirectory(Folder());
            ChooseFilter(d, 9);
            TypeName(d, typed);
        });
        c = Dialogs.SaveFile(nullptr, "Save As", "");
        EXPECT_EQ(c.Name, File(QString(typed) == "plain" ? "plain.dta" : "plain.txt"));
        EXPECT_EQ(c.Filter, 9);
    }

    // Cancelled: no name.
    QTimer::singleShot(50, [] {
        if (QWidget* w = QApplication::activeModalWidget()) qobject_cast<QDialog*>(w)->reject();
    });
    EXPECT_EQ(Dialogs.SaveFile(nullptr, "Save As", "").Name, "");
}

// Chosen through the dialog's own interface, as a platform's dialog (where
// the desktop has one) is driven too: the filter index and the extension
// arrive all the same. Run under a desktop platform (QT_QPA_PLATFORM=xcb,
// QT_QPA_PLATFORMTHEME=gtk3) this checks the platform's dialog.
TEST_F(FileDialogs, SaveChoiceArrivesThroughTheDialogsInterface)
{
    for (int filter : {1, 5, 9}) {
        QString chosen;
        WhenShown([&](QFileDialog& d) {
            chosen = d.nameFilters().value(filter - 1);
            d.selectNameFilter(chosen);
        });
        const TSaveChoice c = Dialogs.SaveFile(nullptr, "Save As", File("peak 4:30"));
        EXPECT_EQ(c.Filter, filter) << chosen.toStdString();
        EXPECT_EQ(c.Name, File(filter == 5 ? "peak 4:30.dt4" : "peak 4:30.dta")) << chosen.toStdString();
    }
}

// Save As through the dialog writes the version of the filter chosen, and
// the next Save the newest; Open takes "sample" for sample.dta.
TEST_F(FileDialogs, SaveAsAndOpenThroughTheDialogs)
{
    Start({.Show = false});
    Main->SetFileChooser(&Dialogs);
    TSketchPadWindow* pad = Main->SketchPads[0];
    THashEntry* cell = nullptr;
    ASSERT_NE(AddNode(*pad->Network, 10, 20, cell, false, 0), nullptr);
    WhenShown([&](QFileDialog& d) {
        d.setDirectory(Folder());
        ChooseFilter(d, 2);
        TypeName(d, "sample");
    });
    ASSERT_TRUE(Main->SaveAs(*pad));
    EXPECT_EQ(pad->FileName, File("sample.dt1"));
    EXPECT_EQ(pad->Caption(), "sample.dt1");
    EXPECT_EQ(FirstLine(File("sample.dt1")), "ZOK 1.0");
    pad->Network->SetAllowClose(false);
    ASSERT_TRUE(Main->SaveM(*pad));
    EXPECT_EQ(FirstLine(File("sample.dt1")), "ZOK 1.09");

    WhenShown([&](QFileDialog& d) {
        d.setDirectory(Folder());
        ChooseFilter(d, 1);
        TypeName(d, "sample");
    });
    ASSERT_TRUE(Main->SaveAs(*pad));
    EXPECT_EQ(FirstLine(File("sample.dta")), "ZOK 1.09");

    // A name with a dot in it takes the filter's extension all the same.
    WhenShown([&](QFileDialog& d) {
        d.setDirectory(Folder());
        ChooseFilter(d, 2);
        TypeName(d, "AM peak 7.30");
    });
    ASSERT_TRUE(Main->SaveAs(*pad));
    EXPECT_EQ(pad->FileName, File("AM peak 7.30.dt1"));
    EXPECT_EQ(FirstLine(File("AM peak 7.30.dt1")), "ZOK 1.0");

    // Open: "sample" is sample.dta, "PM peak 5.15" is "PM peak 5.15.dta"; a
    // name that is a file of its own stays as it is, also beside the network
    // file of that name with ".dta".
    ASSERT_TRUE(QFile::copy(QString::fromStdString(File("sample.dta")), Dir.filePath("bare")));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(File("sample.dta")), Dir.filePath("both")));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(File("sample.dta")), Dir.filePath("both.dta")));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(File("sample.dta")), Dir.filePath("PM peak 5.15.dta")));
    struct TOpened {
        const char* Typed;
        const char* Opened;
        int Filter;
    };
    for (const TOpened& t : {TOpened{"sample", "sample.dta", 1}, TOpened{"bare", "bare", 2},
                             TOpened{"both", "both", 1}, TOpened{"PM peak 5.15", "PM peak 5.15.dta", 1}}) {
        WhenShown([&](QFileDialog& d) {
            EXPECT_EQ(d.nameFilters(), (QStringList{"ZOK Network (*.dta)", "All Files (*)"}));
            d.setDirectory(Folder());
            ChooseFilter(d, t.Filter);
            TypeName(d, t.Typed);
        });
        const int before = Main->PadCount();
        Main->OpenMClick();
        ASSERT_EQ(Main->PadCount(), before + 1) << t.Typed;
        EXPECT_EQ(Main->CurrentPad->FileName, File(t.Opened));
    }
}

// A name with letters beyond ASCII, typed or picked in the network dialogs,
// names that file as the disk spells it (UTF-8) and no other; the window's
// caption shows it whole.
TEST_F(FileDialogs, NamesBeyondAsciiNameTheseFilesOnDisk)
{
    Start({.Show = false});
    Main->SetFileChooser(&Dialogs);
    TSketchPadWindow* pad = Main->SketchPads[0];
    THashEntry* cell = nullptr;
    ASSERT_NE(AddNode(*pad->Network, 10, 20, cell, false, 0), nullptr);
    ASSERT_NE(AddNode(*pad->Network, 300, 200, cell, false, 0), nullptr);
    pad->View.SetExtents(10, 20, 300, 200);
    auto typing = [this](const char* name) {
        WhenShown([this, name](QFileDialog& d) {
            d.setDirectory(Folder());
            TypeName(d, QString::fromUtf8(name));
        });
    };
    const std::string folder = Folder().toStdString();
    auto onDisk = [&folder](const char* ending) {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().string().ends_with(ending)) names.insert(e.path().filename().string());
        return names;
    };

    // Save As: "Ωmega" and "Σmega" are two files.
    for (const char* name : {"Zürich Ωmega", "Ωmega", "Σmega"}) {
        typing(name);
        ASSERT_TRUE(Main->SaveAs(*pad)) << name;
    }
    EXPECT_EQ(onDisk(".dta"), (std::set<std::string>{"Zürich Ωmega.dta", "Ωmega.dta", "Σmega.dta"}));
    EXPECT_EQ(pad->windowTitle(), "Σmega.dta");
    pad->Network->SetAllowClose(false);
    Boxes.Answers = {IDCANCEL};
    EXPECT_FALSE(Main->FormCloseQuery(*pad));
    EXPECT_EQ(Boxes.Last().Text, "Close: Σmega.dta");

    // Open, typed and picked from the list; Append.
    std::filesystem::copy_file(folder + "/Ωmega.dta", folder + "/Müller plan.dta");
    typing("Müller plan");
    Main->OpenMClick();
    EXPECT_EQ(Main->CurrentPad->FileName, File("Müller plan.dta"));
    EXPECT_EQ(Main->CurrentPad->windowTitle(), "Müller plan.dta");
    WhenShown([this](QFileDialog& d) {
        ASSERT_TRUE(filedialogtest::ListedUnder(d, Folder(), "ZOK", "Müller plan.dta").contains("Müller plan.dta"));
        auto* list = d.findChild<QListView*>("listView");
        const QModelIndexList at = list->model()->match(list->rootIndex().model()->index(0, 0, list->rootIndex()),
                                                        Qt::DisplayRole, "Müller plan.dta", 1, Qt::MatchExactly);
        ASSERT_EQ(at.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(at.front()).center());
    });
    Main->OpenMClick();
    EXPECT_EQ(Main->CurrentPad->FileName, File("Müller plan.dta"));
    typing("Müller plan");
    ASSERT_TRUE(Main->Append(*pad));
    EXPECT_EQ(pad->Network->NodeCount, 4);

    // The plot's picture.
    typing("Zürich plot");
    ASSERT_TRUE(Trigger(pad, "FileWMFPlot1"));
    EXPECT_EQ(onDisk(".svg"), (std::set<std::string>{"Zürich plot.svg"}));
}
