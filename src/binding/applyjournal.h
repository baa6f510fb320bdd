#pragma once

#include "platform/platformerror.h"

#include <optional>
#include <QDateTime>
#include <QList>
#include <QString>

// The account of one apply, or of a preview of one: the sink's install and uninstall and,
// per list entry, every URL the attempt tables offered with what became of it. The
// preview's listing and the JSON report are both read from it.
class ApplyJournal
{
public:
    enum class Outcome { Done, Failed, Skipped };
    // What an entry is meant to get: a binding, none, or (batch run) its binding again.
    enum class Action { Register, Unregister, Rewrite };

    struct Attempt
    {
        bool create = false; // false: a delete
        QString url;
        Outcome outcome = Outcome::Skipped;
        qint32 number = 0;
        QString description;
    };

    struct Entry
    {
        QString list; // the list it came from: "boundMailboxes", "unboundStores", ...
        QString text; // the list line
        Action action = Action::Register;
        QList<Attempt> attempts;

        QString name() const; // the display name, the line's first segment
        // Whether the action's last step (the create, for a rewrite) succeeded.
        bool succeeded() const;
        // The URL the change goes (or would go) through: the successful attempt of the last
        // step; empty when it failed.
        QString url() const;
        // The last failed attempt of the deciding step, when the entry failed.
        const Attempt *failure() const;
    };

    struct SinkStep
    {
        bool install = true; // false: uninstall
        QString identity;
        std::optional<platform::PlatformError> failure;
    };

    bool preview = false;
    QDateTime started;
    QDateTime ended;
    QString server;
    QString environment;
    // The rule's rows that count ("condition -> action target") and its priority.
    QStringList rule;
    QString priority;
    // A message that stopped the apply before anything was done; empty when none did.
    QString stoppedBy;
    QList<SinkStep> sinkSteps;
    QList<Entry> entries;

    struct Totals
    {
        int registered = 0;
        int unregistered = 0;
        int rewritten = 0;
        int failed = 0;
    };
    Totals totals() const;

    static QString actionName(Action action);
    static QString resultName(const Entry &entry);
};
