#include "platform/webdav/webdavrecord.h"

#include "platform/platformerror.h"

namespace webdav {

WebDavRecord::WebDavRecord(std::shared_ptr<DavSession> session, QString url, DavTarget target,
                           std::optional<QList<DavProperty>> properties, bool readWrite,
                           bool overwrite)
    : m_session(std::move(session)), m_url(std::move(url)), m_target(std::move(target)),
      m_readWrite(readWrite), m_overwrite(overwrite)
{
    if (properties) {
        m_fields.emplace();
        for (const DavProperty &property : *properties)
            m_fields->append({property.name, property.value});
    }
}

const QList<std::pair<QString, QVariant>> &WebDavRecord::fields() const
{
    if (!m_fields) {
        m_fields.emplace();
        for (const DavProperty &property : m_session->properties(m_target))
            m_fields->append({property.name, property.value});
    }
    return *m_fields;
}

void WebDavRecord::requireOpen() const
{
    if (!m_open)
        throw platform::PlatformError(platform::error::NotOpen,
                                      QStringLiteral("%1: the record is closed").arg(m_url));
}

void WebDavRecord::requireWritable(const char *operation) const
{
    requireOpen();
    if (!m_readWrite)
        throw platform::PlatformError(platform::error::InvalidArgument,
                                      QStringLiteral("%1: cannot %2 a record opened read-only")
                                          .arg(m_url, QLatin1String(operation)));
    m_session->requireOpen(m_url, operation);
}

int WebDavRecord::fieldCount() const
{
    requireOpen();
    return int(fields().size());
}

QVariant WebDavRecord::field(const QString &name) const
{
    requireOpen();
    for (const auto &[fieldName, value] : fields()) {
        if (fieldName == name)
            return value;
    }
    throw platform::PlatformError(
        platform::error::ItemNotFound,
        QStringLiteral("%1: the record has no property \"%2\"").arg(m_url, name));
}

void WebDavRecord::setField(const QString &name, const QVariant &value)
{
    requireOpen();
    fields();
    for (auto *list : {&*m_fields, &m_staged}) {
        auto found = std::find_if(list->begin(), list->end(),
                                  [&](const auto &field) { return field.first == name; });
        if (found != list->end())
            found->second = value;
        else
            list->append({name, value});
    }
}

void WebDavRecord::update()
{
    requireWritable("update");
    if (m_overwrite)
        m_session->writeItem(m_target, m_staged);
    else if (!m_staged.isEmpty())
        m_session->patch(m_target, m_staged);
    m_staged.clear();
    m_overwrite = false;
}

void WebDavRecord::deleteRecord()
{
    requireWritable("delete");
    m_session->remove(m_target);
    m_open = false;
}

} // namespace webdav
