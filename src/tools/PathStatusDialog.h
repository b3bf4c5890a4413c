// TPathStatusDB: the small modeless box that shows how a shortest-path
// search goes ("Initializing...", "Building...", "Marking...", "Done.") and
// lets the user stop it. One box serves the whole session.
#pragma once

#include <functional>
#include <string>

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class TZOKMainWindow;

class TPathStatusDB : public QDialog {
    Q_OBJECT
public:
    // Home: the window that keeps the box between searches (nullptr: none).
    explicit TPathStatusDB(QWidget* Home);

    QLabel* Label1;
    QPushButton* Button1; // "Stop" while a search runs, then "OK"

    // Asks the search to stop.
    std::function<void()> OnStop;

    // A search starts: the box shows with "Stop", above Owner (the modal
    // dialog that runs the search, so that the box takes clicks meanwhile).
    void SearchStarted(QWidget* Owner);
    void SetStatus(const std::string& Text);
    // The search is over: the button reads "OK".
    void SearchEnded();
    // Back under the home window, on screen as it was (the owner goes).
    void ReturnHome();
    // "Stop": asks the search to stop and turns into "OK"; "OK" closes the box.
    void Button1Click();
    bool Stopping() const;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void MoveUnder(QWidget* Parent);
    QPointer<QWidget> FHome;
};

// The program's status box of shortest-path searches, made on first use.
TPathStatusDB& PathStatusBox(TZOKMainWindow& Main);
