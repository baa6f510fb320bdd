#include "shell/toolkitmessages.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

QtMessageHandler toolkitHandler = nullptr;

void programMessagesOnly(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool ours = context.category && qstrncmp(context.category, "kestrelon", 9) == 0;
    if ((ours || type == QtFatalMsg) && toolkitHandler)
        toolkitHandler(type, context, text);
}

} // namespace

void keepOnlyProgramMessages()
{
    toolkitHandler = qInstallMessageHandler(programMessagesOnly);
}
