#pragma once

#include "protocol/datarow.h"

#include <QList>

namespace Corvane {

class ApplicationManager;
class ComponentFactory;
class SignInFlow;

/// Turns a refused session into what the user sees next: a box, a dropped session file, the
/// dialog that asks again. Most codes are one row of a table; the two-factor activation, the
/// expired token and the rate limit have their own behaviour. Once the user works in a session,
/// every refusal ends the program. Owned by the flow manager.
class RefusedSessionDispatcher final {
public:
    RefusedSessionDispatcher(
        ApplicationManager* manager, SignInFlow* signInFlow, ComponentFactory* factory);

    void dispatch(int resultId, const QList<DataRow>& rows);

private:
    enum class Window {
        None,
        Login,
        ActivationCode,
        ChangePassword,
        TwoFaActivation,
        TwoFaAuthentication
    };
    void show(Window window);

    ApplicationManager* manager;
    SignInFlow* signInFlow;
    ComponentFactory* factory;
};

}
