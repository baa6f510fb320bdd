#pragma once

#include "platform/platformerror.h"

#include <functional>
#include <QApplication>

// The application object of kestrelon-setup: a failure that no handler traps rises out
// of the event it came from and is handed to onRuntimeError, which ends the program.
class SetupApplication : public QApplication
{
public:
    SetupApplication(int &argc, char **argv) : QApplication(argc, argv) {}

    bool notify(QObject *receiver, QEvent *event) override;

    std::function<void(const platform::PlatformError &)> onRuntimeError;
};
