#include "platform/ldap/ldaprowset.h"

#include "platform/lab/labdatabase.h"
#include "platform/ldap/distinguishedname.h"
#include "platform/ldap/ldaperror.h"
#include "platform/ldap/referral.h"
#include "platform/platformerror.h"

#include <algorithm>
#include <ldap.h>
#include <QStringDecoder>
#include <QThread>

namespace ldapbackend {

namespace {

using platform::PlatformError;

// The server did not sort; the search is run again and sorted here.
struct ServerSortRefused
{
};

// How often and after how long a page the server was too busy for is asked for again.
constexpr int BusyRetries = 20;
constexpr int BusyPauseMs = 25;
// Referrals followed one from another before the rest is skipped, as libldap's default.
constexpr int MaxReferralHops = 5;

bool isSortRefusal(int code)
{
    return code == LDAP_INAPPROPRIATE_MATCHING || code == LDAP_UNWILLING_TO_PERFORM ||
           code == LDAP_UNAVAILABLE_CRITICAL_EXTENSION;
}

bool sameName(const QByteArray &a, const QString &b)
{
    return QString::fromUtf8(a).compare(b, Qt::CaseInsensitive) == 0;
}

// Text when the value is UTF-8, as directory strings are; the bytes otherwise.
QVariant valueOf(const berval &value)
{
    const QByteArrayView bytes(value.bv_val, qsizetype(value.bv_len));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return QByteArray(bytes.data(), bytes.size());
    return text;
}

// Null when absent, one value as itself, several as a list, as the lab answers.
QVariant fieldOf(berval **values)
{
    if (!values || !values[0])
        return {};
    if (!values[1])
        return valueOf(*values[0]);
    QStringList several;
    for (berval **v = values; *v; ++v)
        several.append(valueOf(**v).toString());
    return several;
}

} // namespace

LdapRowSet::LdapRowSet(std::shared_ptr<LdapSession> session, SearchRequest request)
    : m_session(std::move(session)), m_request(std::move(request))
{
    for (const QString &column : std::as_const(m_request.columns)) {
        // ADsPath is made here from the entry's name; no server keeps it.
        if (column.compare(QLatin1String("ADsPath"), Qt::CaseInsensitive) != 0)
            m_attributes.append(column.toUtf8());
    }
    if (!m_request.orderBy.isEmpty() &&
        std::none_of(m_attributes.cbegin(), m_attributes.cend(), [&](const QByteArray &a) {
            return sameName(a, QString::fromUtf8(m_request.orderBy));
        }))
        m_attributes.append(m_request.orderBy);
    if (m_attributes.isEmpty())
        m_attributes.append(QByteArrayLiteral("1.1")); // no attributes, only names

    try {
        m_cursor = std::make_unique<Cursor>();
        sendPage(m_request.pageSize);
        fetchRow();
    } catch (const ServerSortRefused &) {
        m_sortRefused = true;
        m_request.serverSort = false;
        qCDebug(ldapLog).noquote()
            << "server cannot sort on" << m_request.orderBy << "- sorting here";
        m_cursor = std::make_unique<Cursor>();
        sendPage(m_request.pageSize);
        fetchRow();
    }
    if (!m_request.orderBy.isEmpty() && !m_request.serverSort)
        sortRows();
}

LdapRowSet::~LdapRowSet()
{
    close();
}

void LdapRowSet::sendPage(int pageSize) const
{
    LDAP *ld = m_session->handle();
    if (!ld)
        throw PlatformError(
            platform::error::NotOpen,
            QStringLiteral("The directory connection to %1 is closed").arg(m_session->server()));
    QList<LDAPControl *> controls;
    const auto freeControls = [&] {
        for (LDAPControl *control : std::as_const(controls))
            ldap_control_free(control);
    };
    if (m_request.pageSize > 0) {
        berval cookie{ber_len_t(m_cursor->cookie.size()), m_cursor->cookie.data()};
        LDAPControl *page = nullptr;
        if (const int rc = ldap_create_page_control(ld, pageSize, &cookie, 0, &page);
            rc != LDAP_SUCCESS)
            m_session->fail(rc, QStringLiteral("asking for a page of %1").arg(describe()));
        controls.append(page);
    }
    if (m_request.serverSort) {
        QByteArray attribute = m_request.orderBy;
        LDAPSortKey key{attribute.data(), nullptr, m_request.descending ? 1 : 0};
        LDAPSortKey *keys[] = {&key, nullptr};
        LDAPControl *sort = nullptr;
        if (const int rc = ldap_create_sort_control(ld, keys, 1, &sort); rc != LDAP_SUCCESS) {
            freeControls();
            m_session->fail(rc, QStringLiteral("asking to sort %1").arg(describe()));
        }
        controls.append(sort);
    }
    controls.append(nullptr);

    QList<char *> attributes;
    for (const QByteArray &attribute : std::as_const(m_attributes))
        attributes.append(const_cast<char *>(attribute.constData()));
    attributes.append(nullptr);

    if (m_cursor->pages == 0) {
        m_cursor->clock.start();
        qCDebug(ldapLog).noquote()
            << "search" << m_session->server() << "base" << m_request.base << "scope"
            << m_request.scope << "filter" << m_request.filter << "attributes"
            << m_attributes.join(',') << "page size" << m_request.pageSize << "sort"
            << (m_request.orderBy.isEmpty()
                    ? QByteArray("none")
                    : m_request.orderBy + (m_request.descending ? " descending" : " ascending") +
                          (m_request.serverSort ? " by the server" : " here"))
            << "size limit" << m_request.sizeLimit << "time-out" << m_request.timeoutSeconds
            << "referrals" << (m_request.chaseReferrals ? "followed" : "not followed");
    }
    const int rc = ldap_search_ext(ld, m_request.base.constData(), m_request.scope,
                                   m_request.filter.constData(), attributes.data(), 0,
                                   controls.data(), nullptr, nullptr, 0, &m_cursor->messageId);
    freeControls();
    if (rc != LDAP_SUCCESS) {
        m_cursor->messageId = -1;
        m_session->fail(rc, QStringLiteral("sending %1").arg(describe()));
    }
    ++m_cursor->pages;
}

void LdapRowSet::fetchRow() const
{
    while (m_cursor->rows.empty() && !exhausted())
        step();
}

void LdapRowSet::fetchAll() const
{
    while (!exhausted())
        step();
}

bool LdapRowSet::exhausted() const
{
    return m_cursor->finished && m_cursor->referrals.empty();
}

void LdapRowSet::step() const
{
    if (m_cursor->finished) {
        followReferral();
        return;
    }
    if (m_cursor->messageId < 0)
        sendPage(m_request.pageSize);
    readMessage();
}

bool LdapRowSet::addRow(Row row) const
{
    m_cursor->rows.push_back(std::move(row));
    ++m_cursor->delivered;
    // Rows sorted here are cut to the limit after sorting.
    const bool limitHere = m_request.orderBy.isEmpty() || m_request.serverSort;
    if (limitHere && m_request.sizeLimit > 0 && m_cursor->delivered >= m_request.sizeLimit) {
        finish("reached its size limit");
        abandon();
        m_cursor->referrals.clear();
        return false;
    }
    return true;
}

void LdapRowSet::followReferral() const
{
    const QStringList urls = m_cursor->referrals.front();
    m_cursor->referrals.pop_front();
    ReferralTarget target;
    QString url;
    for (const QString &candidate : urls) {
        url = candidate;
        target = referralTarget(m_session->settings(), candidate);
        if (target.refusal.isEmpty())
            break;
    }
    if (m_request.referralHops >= MaxReferralHops)
        target.refusal = QStringLiteral("more than %1 referrals in a row").arg(MaxReferralHops);
    if (!target.refusal.isEmpty()) {
        qCDebug(ldapLog).noquote() << "referral to" << url << "skipped:" << target.refusal;
        if (!m_cursor->skipped.contains(url)) {
            m_cursor->skipped.append(url);
            m_session->notice(errorNumber(LDAP_REFERRAL),
                              QStringLiteral("The referral to %1 was skipped, so the rows there "
                                             "are missing: %2")
                                  .arg(url, target.refusal));
        }
        return;
    }
    SearchRequest request = m_request;
    if (!target.base.isEmpty())
        request.base = target.base;
    if (!target.filter.isEmpty())
        request.filter = target.filter;
    // Below a one-level search the referred entry itself is the one asked for.
    if (request.scope == LDAP_SCOPE_ONELEVEL)
        request.scope = LDAP_SCOPE_BASE;
    request.serverSort = false;
    request.sizeLimit = 0;
    ++request.referralHops;
    qCDebug(ldapLog).noquote() << "following the referral to" << url;
    try {
        const LdapRowSet referred(
            std::make_shared<LdapSession>(target.settings, m_session->hooks()), request);
        referred.fetchAll();
        for (Row &row : referred.m_cursor->rows) {
            if (!addRow(std::move(row)))
                break;
        }
    } catch (const PlatformError &error) {
        qCDebug(ldapLog).noquote() << "referral to" << url << "failed:" << error.description;
        if (!m_cursor->unreachableSaid) {
            m_cursor->unreachableSaid = true;
            m_session->notice(error.number,
                              QStringLiteral("The referral to %1 could not be followed, so the "
                                             "rows there are missing: %2")
                                  .arg(url, error.description));
        }
    }
}

void LdapRowSet::readMessage() const
{
    LDAP *ld = m_session->handle();
    LDAPMessage *message = nullptr;
    const int type =
        m_session->await(m_cursor->messageId, false, m_request.timeoutSeconds, &message);
    if (type == 0) {
        ldap_abandon_ext(ld, m_cursor->messageId, nullptr, nullptr);
        m_cursor->messageId = -1;
        m_cursor->finished = true;
        m_session->fail(LDAP_TIMEOUT, QStringLiteral("waiting %1 s for an answer to %2")
                                          .arg(m_request.timeoutSeconds)
                                          .arg(describe()));
    }
    if (type < 0) {
        int code = LDAP_OTHER;
        ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &code);
        m_cursor->messageId = -1;
        m_cursor->finished = true;
        m_session->fail(code, QStringLiteral("reading the answer to %1 after %2 rows")
                                  .arg(describe())
                                  .arg(m_cursor->delivered));
    }
    try {
        if (type == LDAP_RES_SEARCH_ENTRY) {
            addRow(rowOf(message));
        } else if (type == LDAP_RES_SEARCH_RESULT) {
            readResult(message);
        } else if (type == LDAP_RES_SEARCH_REFERENCE) {
            char **urls = nullptr;
            QStringList referredTo;
            if (ldap_parse_reference(ld, message, &urls, nullptr, 0) == LDAP_SUCCESS) {
                for (char **url = urls; url && *url; ++url)
                    referredTo.append(QString::fromUtf8(*url));
                ldap_memvfree(reinterpret_cast<void **>(urls));
            }
            qCDebug(ldapLog).noquote() << "search reference to" << referredTo.join(u' ')
                                       << (m_request.chaseReferrals ? "to follow" : "not followed");
            if (m_request.chaseReferrals && !referredTo.isEmpty())
                m_cursor->referrals.push_back(referredTo);
        }
    } catch (...) {
        ldap_msgfree(message);
        throw;
    }
    ldap_msgfree(message);
}

void LdapRowSet::readResult(LDAPMessage *message) const
{
    LDAP *ld = m_session->handle();
    int code = LDAP_SUCCESS;
    char *diagnostic = nullptr;
    char **referrals = nullptr;
    LDAPControl **controls = nullptr;
    const int rc =
        ldap_parse_result(ld, message, &code, nullptr, &diagnostic, &referrals, &controls, 0);
    m_cursor->messageId = -1;
    const QString text = QString::fromUtf8(diagnostic);
    QStringList referredTo;
    for (char **r = referrals; r && *r; ++r)
        referredTo.append(QString::fromUtf8(*r));
    QByteArray cookie;
    if (LDAPControl *page = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls, nullptr)) {
        ber_int_t estimate = 0;
        berval value{0, nullptr};
        if (ldap_parse_pageresponse_control(ld, page, &estimate, &value) == LDAP_SUCCESS) {
            cookie = QByteArray(value.bv_val, qsizetype(value.bv_len));
            ber_memfree(value.bv_val);
        }
    }
    ldap_memfree(diagnostic);
    ldap_memvfree(reinterpret_cast<void **>(referrals));
    ldap_controls_free(controls);

    if (rc != LDAP_SUCCESS)
        m_session->fail(rc, QStringLiteral("reading the result of %1").arg(describe()));
    if (code == LDAP_SUCCESS || code == LDAP_SIZELIMIT_EXCEEDED) {
        m_cursor->cookie = cookie;
        if (cookie.isEmpty() || code == LDAP_SIZELIMIT_EXCEEDED)
            finish(code == LDAP_SUCCESS ? "ended" : "reached the server's size limit");
        return;
    }
    if (code == LDAP_REFERRAL && m_request.chaseReferrals && !referredTo.isEmpty()) {
        m_cursor->referrals.push_back(referredTo);
        finish("was referred");
        return;
    }
    if (code == LDAP_BUSY && m_cursor->busyRetries < BusyRetries) {
        // slapd's sorting answers "busy" for a page asked for while it still finishes the
        // one before; the same page is asked for again.
        ++m_cursor->busyRetries;
        qCDebug(ldapLog).noquote() << "server busy:" << text << "- asking again";
        QThread::msleep(BusyPauseMs);
        return;
    }
    m_cursor->finished = true;
    if (m_request.serverSort && m_cursor->cookie.isEmpty() && m_cursor->delivered == 0 &&
        isSortRefusal(code))
        throw ServerSortRefused();
    QString doing = QStringLiteral("running %1").arg(describe());
    if (!referredTo.isEmpty())
        doing += QStringLiteral(" (referred to %1)").arg(referredTo.join(QStringLiteral(", ")));
    failLdap(m_session->server(), code, doing, text);
}

LdapRowSet::Row LdapRowSet::rowOf(LDAPMessage *entry) const
{
    LDAP *ld = m_session->handle();
    Row row;
    row.fields.resize(m_request.columns.size());
    char *name = ldap_get_dn(ld, entry);
    const QString dn = presentedDn(name ? name : "");
    ldap_memfree(name);

    BerElement *position = nullptr;
    for (char *attribute = ldap_first_attribute(ld, entry, &position); attribute;
         attribute = ldap_next_attribute(ld, entry, position)) {
        // Options such as ";range=0-1499" do not change which column a value is for.
        const QByteArray described(attribute);
        const QByteArray base =
            described.left(described.indexOf(';') < 0 ? described.size() : described.indexOf(';'));
        berval **values = ldap_get_values_len(ld, entry, attribute);
        ldap_memfree(attribute);
        for (qsizetype i = 0; i < m_request.columns.size(); ++i) {
            if (sameName(base, m_request.columns[i]))
                row.fields[i] = fieldOf(values);
        }
        if (!m_request.orderBy.isEmpty() && sameName(base, QString::fromUtf8(m_request.orderBy)) &&
            values && values[0])
            row.sortKey = valueOf(*values[0]).toString();
        ldap_value_free_len(values);
    }
    ber_free(position, 0);

    for (qsizetype i = 0; i < m_request.columns.size(); ++i) {
        const QString &column = m_request.columns[i];
        // A server that keeps no distinguishedName values still names its entries.
        if (column.compare(QLatin1String("distinguishedName"), Qt::CaseInsensitive) == 0 &&
            row.fields[i].isNull())
            row.fields[i] = dn;
        else if (column.compare(QLatin1String("ADsPath"), Qt::CaseInsensitive) == 0)
            row.fields[i] = QStringLiteral("GC://%1/%2").arg(m_request.host, dn);
    }
    return row;
}

void LdapRowSet::sortRows()
{
    fetchAll();
    std::deque<Row> &rows = m_cursor->rows;
    // The same order as the lab's: absent values first, then ignoring case, ties as the
    // server sent them.
    std::stable_sort(rows.begin(), rows.end(), [&](const Row &a, const Row &b) {
        return m_request.descending ? lab::directoryKeyLess(b.sortKey, a.sortKey)
                                    : lab::directoryKeyLess(a.sortKey, b.sortKey);
    });
    if (m_request.sizeLimit > 0 && rows.size() > size_t(m_request.sizeLimit))
        rows.resize(size_t(m_request.sizeLimit));
}

void LdapRowSet::finish(const char *how) const
{
    if (m_cursor->finished)
        return;
    m_cursor->finished = true;
    qCDebug(ldapLog).noquote() << "search" << m_request.filter << how << "with"
                               << m_cursor->delivered << "rows in" << m_cursor->pages << "requests,"
                               << m_cursor->clock.elapsed() << "ms";
}

void LdapRowSet::abandon() const
{
    LDAP *ld = m_session->handle();
    if (!ld || m_session->isBroken())
        return;
    if (m_cursor->messageId >= 0) {
        ldap_abandon_ext(ld, m_cursor->messageId, nullptr, nullptr);
        m_cursor->messageId = -1;
    } else if (!m_cursor->cookie.isEmpty()) {
        // A page size of 0 with the last cookie tells the server to drop the paged search.
        try {
            sendPage(0);
            while (m_cursor->messageId >= 0)
                readMessage();
        } catch (const PlatformError &) {
        }
    }
    m_cursor->cookie.clear();
}

bool LdapRowSet::atEnd() const
{
    return !m_open || m_cursor->rows.empty();
}

int LdapRowSet::rowCount() const
{
    if (m_open)
        fetchAll();
    return m_consumed + int(m_cursor->rows.size());
}

QVariant LdapRowSet::field(const QString &attribute) const
{
    if (!m_open)
        throw PlatformError(platform::error::NotOpen,
                            QStringLiteral("The directory result is closed"));
    if (atEnd())
        throw PlatformError(platform::error::ItemNotFound,
                            QStringLiteral("No current row to read \"%1\" from: the directory "
                                           "result is at its end")
                                .arg(attribute));
    for (qsizetype i = 0; i < m_request.columns.size(); ++i) {
        if (m_request.columns[i].compare(attribute, Qt::CaseInsensitive) == 0)
            return m_cursor->rows.front().fields[i];
    }
    throw PlatformError(platform::error::ItemNotFound,
                        QStringLiteral("The attribute \"%1\" is not among the query's selected "
                                       "attributes (%2)")
                            .arg(attribute, m_request.columns.join(QStringLiteral(", "))));
}

void LdapRowSet::moveNext()
{
    if (atEnd())
        throw PlatformError(platform::error::ItemNotFound,
                            QStringLiteral("Cannot move past the end of the directory result"));
    m_cursor->rows.pop_front();
    ++m_consumed;
    fetchRow();
}

void LdapRowSet::moveLast()
{
    if (!m_open)
        throw PlatformError(platform::error::NotOpen,
                            QStringLiteral("The directory result is closed"));
    fetchAll();
    while (m_cursor->rows.size() > 1) {
        m_cursor->rows.pop_front();
        ++m_consumed;
    }
}

void LdapRowSet::close()
{
    if (!m_open)
        return;
    m_open = false;
    if (!m_cursor->finished) {
        finish("was given up");
        abandon();
    }
    m_cursor->referrals.clear();
    m_cursor->rows.clear();
}

QString LdapRowSet::describe() const
{
    return QStringLiteral("the search for %1 below \"%2\"")
        .arg(QString::fromUtf8(m_request.filter), QString::fromUtf8(m_request.base));
}

} // namespace ldapbackend
