// Help for the tool dialogs: topic <Context> of the program's help pages, in
// a help window that belongs to the dialog asking for it.
#pragma once

class QWidget;

void ShowToolHelp(QWidget* Owner, int Context);
