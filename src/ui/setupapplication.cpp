#include "ui/setupapplication.h"

bool SetupApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const platform::PlatformError &error) {
        if (!onRuntimeError)
            throw;
        onRuntimeError(error);
        return true;
    }
}
