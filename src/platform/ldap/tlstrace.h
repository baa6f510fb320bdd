#pragma once

#include <QStringList>

namespace ldapbackend {

// While alive, collects what libldap says about TLS handshakes: why it refused a server's
// certificate, which it writes only to its debug log.
class TlsTrace
{
public:
    TlsTrace();
    ~TlsTrace();
    TlsTrace(const TlsTrace &) = delete;
    TlsTrace &operator=(const TlsTrace &) = delete;

    // The reasons given so far, joined; empty when none.
    QString reasons() const { return m_lines.join(QStringLiteral("; ")); }

private:
    QStringList m_lines;
    TlsTrace *m_outer = nullptr;
    int m_previousLevel = 0;
};

} // namespace ldapbackend
