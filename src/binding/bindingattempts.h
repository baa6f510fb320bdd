#pragma once

#include "mailboxes/registrationprobe.h"

#include <QList>
#include <QString>

// Which store URL forms the apply tries, in which order, to bind or unbind one mailbox
// list entry, and which of them may log a failure.
namespace BindingAttempts {

// The part of a list entry the apply uses, read from its end: "... / address / alias".
struct EntryParts
{
    QString alias;
    QString address;
    QString localPart;     // the address up to its last "@"
    QString addressDomain; // the address after its last "@"
};
EntryParts readEntry(const QString &entry);

// Delete attempts: only those by alias log, so a mailbox known by its address alone
// never reports a binding that was already gone.
QList<RegistrationProbe::Attempt> deleteAttempts(const RegistrationProbe::MailboxRoots &roots,
                                                 const EntryParts &parts);
// Create attempts: the address forms first, then by local part, then by alias; exactly
// the last one that can run logs.
QList<RegistrationProbe::Attempt> createAttempts(const RegistrationProbe::MailboxRoots &roots,
                                                 const EntryParts &parts);

} // namespace BindingAttempts
