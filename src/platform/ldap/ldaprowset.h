#pragma once

#include "platform/directory.h"
#include "platform/ldap/ldapsession.h"

#include <deque>
#include <memory>
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>

using LDAPMessage = struct ldapmsg;

namespace ldapbackend {

// One LDAP search as a directory query asks for it.
struct SearchRequest
{
    QByteArray base;
    int scope = 2;
    QByteArray filter;
    QStringList columns; // the query's attribute list, as written: what a row answers to
    QString host;        // the query's global catalog host, for ADsPath
    QByteArray orderBy;  // empty: the server's order
    bool descending = false;
    bool serverSort = false; // ask the server to sort; otherwise sort here
    int pageSize = 0;        // 0: unpaged
    int sizeLimit = 0;       // 0: every row
    int timeoutSeconds = 30; // for each answer
    bool chaseReferrals = true;
    int referralHops = 0; // referrals followed to reach this search
};

// The rows of a search, read from the server page by page as the caller walks them, then
// the rows of the referrals it met. A sort done here, rowCount() and moveLast() read every
// page first.
class LdapRowSet : public platform::DirectoryRowSet
{
public:
    // Sends the search and reads its first page; throws PlatformError naming the server.
    LdapRowSet(std::shared_ptr<LdapSession> session, SearchRequest request);
    ~LdapRowSet() override;

    // The server cannot sort on the attribute (it has no ordering for it), so the rows were
    // sorted here.
    bool serverSortRefused() const { return m_sortRefused; }

    bool atEnd() const override;
    int rowCount() const override;
    QVariant field(const QString &attribute) const override;
    void moveNext() override;
    void moveLast() override;
    void close() override;

private:
    struct Row
    {
        QList<QVariant> fields;
        QString sortKey; // null: the entry lacks the ORDER BY attribute
    };
    struct Cursor
    {
        std::deque<Row> rows;
        QByteArray cookie;
        int messageId = -1;
        bool finished = false;
        int delivered = 0; // rows handed to the caller or waiting in rows
        int pages = 0;
        int busyRetries = 0;
        QElapsedTimer clock;
        std::deque<QStringList> referrals; // each the URLs of one reference, to follow after
        QStringList skipped;               // referrals said to be skipped
        bool unreachableSaid = false;
    };

    // Reading changes only the cursor, so the const row count can read the rest.
    void sendPage(int pageSize) const;
    // Reads answers until a row waits or the search and its referrals end.
    void fetchRow() const;
    void fetchAll() const;
    bool exhausted() const;
    void step() const;
    void readMessage() const;
    // False when the row reached the size limit.
    bool addRow(Row row) const;
    // Runs the search on the next referred server, or says why it is skipped.
    void followReferral() const;
    void readResult(LDAPMessage *message) const;
    Row rowOf(LDAPMessage *entry) const;
    void sortRows();
    void finish(const char *how) const;
    void abandon() const;
    QString describe() const;

    std::shared_ptr<LdapSession> m_session;
    SearchRequest m_request;
    QList<QByteArray> m_attributes; // asked of the server
    std::unique_ptr<Cursor> m_cursor;
    int m_consumed = 0;
    bool m_open = true;
    bool m_sortRefused = false;
};

} // namespace ldapbackend
