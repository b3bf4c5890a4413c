#include "platform/Activation.h"

#include <QGuiApplication>

TActivation& TActivation::Instance()
{
    static TActivation* instance = new TActivation;
    return *instance;
}

TActivation::TActivation() : QObject(qApp)
{
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (!FOverride) emit Changed(s == Qt::ApplicationActive);
    });
}

bool TActivation::Active() const
{
    if (FOverride) return *FOverride;
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void TActivation::Override(std::optional<bool> Active)
{
    const bool before = this->Active();
    FOverride = Active;
    if (this->Active() != before) emit Changed(this->Active());
}
