// Whether the program has the activation (one of its windows is the active
// window of the desktop), and a notice when that changes. Tests stand in for
// the window system by setting the state themselves.
#pragma once

#include <optional>

#include <QObject>

class TActivation : public QObject {
    Q_OBJECT
public:
    static TActivation& Instance();
    bool Active() const;
    // A state of our own in place of the window system's (nullopt: the
    // window system's again); listeners hear of the change.
    void Override(std::optional<bool> Active);

signals:
    void Changed(bool Active);

private:
    TActivation();
    std::optional<bool> FOverride;
};
