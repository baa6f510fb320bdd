#pragma once

#include "platform/ldap/ldapsettings.h"

#include <QByteArray>
#include <QString>

namespace ldapbackend {

// Where a referral leads, and whether the configured account may sign in there.
struct ReferralTarget
{
    LdapSettings settings; // the referred server, signed in to as the configured one
    QByteArray base;       // empty: the search's own base
    QByteArray filter;     // empty: the search's own filter
    QString refusal;       // why it is not followed; empty when it may be
};

// The password goes only to the configured server and the hosts of referralHosts, and never
// with less protection than the configured connection has: a referral to ldap:// from a TLS
// connection starts TLS first.
ReferralTarget referralTarget(const LdapSettings &configured, const QString &url);

} // namespace ldapbackend
