#include "tools/ToolHelp.h"

#include <QAbstractButton>
#include <QShortcut>

#include "platform/HelpViewer.h"
#include "platform/ProgramFolder.h"

void ShowToolHelp(QWidget* Owner, int Context)
{
    auto* viewer = Owner->findChild<THelpViewer*>(QString(), Qt::FindDirectChildrenOnly);
    if (!viewer) viewer = new THelpViewer(ProgramDirectory() + "/help", Owner);
    viewer->ShowTopic(Context);
}

void ConnectToolHelp(QWidget* Dialog, QAbstractButton* Button, int Context, const std::function<void(int)>* Hook)
{
    auto show = [Dialog, Context, Hook] {
        if (Hook && *Hook)
            (*Hook)(Context);
        else
            ShowToolHelp(Dialog, Context);
    };
    QObject::connect(Button, &QAbstractButton::clicked, Dialog, show);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), Dialog);
    QObject::connect(f1, &QShortcut::activated, Dialog, show);
}
