#include "binding/applyjournal.h"

#include "mailboxes/mailboxentry.h"

QString ApplyJournal::Entry::name() const
{
    return text.section(MailboxEntry::Separator, 0, 0).trimmed();
}

namespace {

// The attempts of the step that decides an entry's result: the creates of a register or
// rewrite, the deletes of an unregister.
bool decides(const ApplyJournal::Entry &entry, const ApplyJournal::Attempt &attempt)
{
    return attempt.create == (entry.action != ApplyJournal::Action::Unregister);
}

} // namespace

bool ApplyJournal::Entry::succeeded() const
{
    return !url().isEmpty();
}

QString ApplyJournal::Entry::url() const
{
    for (const Attempt &attempt : attempts) {
        if (decides(*this, attempt) && attempt.outcome == Outcome::Done)
            return attempt.url;
    }
    return QString();
}

const ApplyJournal::Attempt *ApplyJournal::Entry::failure() const
{
    if (succeeded())
        return nullptr;
    const Attempt *last = nullptr;
    for (const Attempt &attempt : attempts) {
        if (decides(*this, attempt) && attempt.outcome == Outcome::Failed)
            last = &attempt;
    }
    return last;
}

ApplyJournal::Totals ApplyJournal::totals() const
{
    Totals totals;
    for (const Entry &entry : entries) {
        if (!entry.succeeded())
            ++totals.failed;
        else if (entry.action == Action::Register)
            ++totals.registered;
        else if (entry.action == Action::Unregister)
            ++totals.unregistered;
        else
            ++totals.rewritten;
    }
    return totals;
}

QString ApplyJournal::actionName(Action action)
{
    switch (action) {
    case Action::Register:
        return QStringLiteral("register");
    case Action::Unregister:
        return QStringLiteral("unregister");
    case Action::Rewrite:
        break;
    }
    return QStringLiteral("rewrite");
}

QString ApplyJournal::resultName(const Entry &entry)
{
    if (!entry.succeeded())
        return QStringLiteral("failed");
    switch (entry.action) {
    case Action::Register:
        return QStringLiteral("registered");
    case Action::Unregister:
        return QStringLiteral("unregistered");
    case Action::Rewrite:
        break;
    }
    return QStringLiteral("rewritten");
}
