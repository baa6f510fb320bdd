#pragma once

#include <QString>
#include <QVariant>

// The kind of a mail recipient; it chooses the recipient's icon in the picker.
enum class RecipientKind { User, DisabledUser, Group, Contact, PublicFolder };

// The key of a kind's icon: "user", "userdisabled", "group", "contact" or "pf".
QString recipientKindKey(RecipientKind kind);

// The kind of a directory object from its sAMAccountType, userAccountControl and
// mAPIRecipient values; a null value stands for an attribute the object lacks.
RecipientKind recipientKind(const QVariant &accountType, const QVariant &accountControl,
                            const QVariant &mapiRecipient);

// One row of the recipient picker.
struct RecipientEntry
{
    QString name;
    QString distinguishedName;
    QString address; // also the row's key; empty for a recipient without an address
    RecipientKind kind = RecipientKind::User;
    QString tag; // "pf" for a public folder, empty otherwise
};
