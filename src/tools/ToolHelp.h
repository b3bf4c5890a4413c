// Help for the tool dialogs: topic <Context> of the program's help pages.
#pragma once

#include <functional>

class QAbstractButton;
class QWidget;

// Shows the topic in a help window that belongs to Owner.
void ShowToolHelp(QWidget* Owner, int Context);
// The Help button and F1 of a dialog show the topic: through *Hook when it
// is set (the dialog's member, read at each request), else as above.
void ConnectToolHelp(QWidget* Dialog, QAbstractButton* Button, int Context, const std::function<void(int)>* Hook);
