// What one of our file dialogs lists: the names it shows in a folder under a
// filter, as the user sees them after picking that filter.
#pragma once

#include <QFileDialog>
#include <QListView>
#include <QStringList>
#include <QTest>

namespace filedialogtest {

// The names that Dialog lists in Folder under its first filter that starts
// with Entry ("All files"), once it has read the folder: Known, a file that
// every filter of the dialog shows, is listed by then.
inline QStringList ListedUnder(QFileDialog& Dialog, const QString& Folder, const QString& Entry, const QString& Known)
{
    Dialog.setDirectory(Folder);
    for (const QString& f : Dialog.nameFilters())
        if (f.startsWith(Entry, Qt::CaseInsensitive)) {
            Dialog.selectNameFilter(f);
            break;
        }
    QStringList names;
    const auto* view = Dialog.findChild<QListView*>("listView");
    if (!view) return names;
    auto read = [&] {
        names.clear();
        const QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(view->rootIndex()); ++r)
            names << m->index(r, 0, view->rootIndex()).data().toString();
        return names.contains(Known);
    };
    if (!QTest::qWaitFor(read, 5000)) return names;
    // Let a filter change that is still pending settle.
    QTest::qWait(50);
    read();
    return names;
}

} // namespace filedialogtest
