#include "platform/ldap/distinguishedname.h"

#include <ldap.h>

namespace ldapbackend {

QString presentedDn(const char *dn)
{
    QByteArray text(dn);
    LDAPDN parsed = nullptr;
    if (ldap_str2dn(text.constData(), &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS)
        return QString::fromUtf8(dn);
    for (LDAPRDN *rdn = parsed; rdn && *rdn; ++rdn) {
        for (LDAPAVA **ava = *rdn; *ava; ++ava) {
            berval &type = (*ava)->la_attr;
            for (ber_len_t i = 0; i < type.bv_len; ++i) {
                const char c = type.bv_val[i];
                if (c >= 'a' && c <= 'z')
                    type.bv_val[i] = char(c - 'a' + 'A');
            }
        }
    }
    berval written{0, nullptr};
    const int rc = ldap_dn2bv(parsed, &written, LDAP_DN_FORMAT_LDAPV3);
    ldap_dnfree(parsed);
    if (rc != LDAP_SUCCESS)
        return QString::fromUtf8(dn);
    const QString result = QString::fromUtf8(written.bv_val, qsizetype(written.bv_len));
    ldap_memfree(written.bv_val);
    return result;
}

} // namespace ldapbackend
