#include "platform/lab/labldif.h"

#include "platform/lab/labdatabase.h"
#include "platform/lab/laberrors.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labplatform.h"

#include <algorithm>
#include <QSet>
#include <QUuid>

namespace lab {

namespace {

const QStringList derivedAttributes = {QStringLiteral("ADsPath"),
                                       QStringLiteral("distinguishedName")};
const QStringList personClasses = {QStringLiteral("person"), QStringLiteral("organizationalPerson"),
                                   QStringLiteral("user"), QStringLiteral("contact")};

// A value that LDIF can carry as it is; any other is written in base64.
bool isSafe(const QByteArray &value)
{
    if (value.isEmpty())
        return true;
    const char first = value.front();
    if (first == ' ' || first == ':' || first == '<' || value.back() == ' ')
        return false;
    for (char c : value) {
        if (c == '\0' || c == '\n' || c == '\r' || static_cast<unsigned char>(c) > 0x7f)
            return false;
    }
    return true;
}

void writeLine(QByteArray &out, const char *name, const QByteArray &utf8)
{
    out += name;
    if (!utf8.isEmpty())
        out += isSafe(utf8) ? ": " + utf8 : ":: " + utf8.toBase64();
    else
        out += ':';
    out += '\n';
}

void writeLine(QByteArray &out, const char *name, const QString &value)
{
    writeLine(out, name, value.toUtf8());
}

bool isNamed(const QString &name, const char *wanted)
{
    return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
}

// A GUID's 16 bytes as a Windows directory stores them: the first three fields little-endian.
QByteArray guidBytes(const QUuid &guid)
{
    QByteArray bytes = guid.toRfc4122();
    std::reverse(bytes.begin(), bytes.begin() + 4);
    std::reverse(bytes.begin() + 4, bytes.begin() + 6);
    std::reverse(bytes.begin() + 6, bytes.begin() + 8);
    return bytes;
}

// The groupType that gives a group the account type the lab holds.
const QHash<QString, QByteArray> groupTypes = {{QStringLiteral("268435456"), "-2147483646"},
                                               {QStringLiteral("268435457"), "2"},
                                               {QStringLiteral("536870912"), "-2147483644"},
                                               {QStringLiteral("536870913"), "4"}};

// The relative names of a DN, split at the commas that are not escaped.
QStringList rdnsOf(const QString &dn)
{
    QStringList rdns;
    QString current;
    for (qsizetype i = 0; i < dn.size(); ++i) {
        if (dn[i] == u'\\' && i + 1 < dn.size()) {
            current += dn[i];
            current += dn[++i];
        } else if (dn[i] == u',') {
            rdns.append(current.trimmed());
            current.clear();
        } else {
            current += dn[i];
        }
    }
    rdns.append(current.trimmed());
    return rdns;
}

struct Object
{
    QString dn;
    QList<QPair<QString, QString>> attributes;
};

class Writer
{
public:
    Writer(const QString &labPath, const QString &suffix, const QList<Object> &objects,
           bool activeDirectory)
        : m_labPath(labPath), m_suffix(suffix), m_activeDirectory(activeDirectory)
    {
        for (const Object &object : objects)
            m_objects.insert(key(object.dn), &object);
        if (activeDirectory) {
            for (const QString &dn :
                 {QString(), QStringLiteral("CN=Users,"), QStringLiteral("CN=Configuration,"),
                  QStringLiteral("CN=Services,CN=Configuration,"),
                  QStringLiteral("CN=Administrator,CN=Users,")})
                m_existing.insert(key(dn + suffix));
        }
    }

    // The domain's entry: the lab's own object of that name, or one made for it.
    void writeRoot() { writeParent(m_suffix); }

    void write(const Object &object)
    {
        if (m_written.contains(key(object.dn)))
            return;
        if (key(object.dn) != key(m_suffix)) {
            if (!key(object.dn).endsWith(u',' + key(m_suffix)))
                fail(platform::error::LabFile,
                     QStringLiteral("%1: the directory object \"%2\" is not below the domain "
                                    "%3")
                         .arg(m_labPath, object.dn, m_suffix));
            writeParent(rdnsOf(object.dn).mid(1).join(u','));
        }
        m_written.insert(key(object.dn));
        if (m_existing.contains(key(object.dn))) {
            writeChange(object);
        } else {
            writeReferences(object);
            writeEntry(object);
        }
        ++result.objects;
    }

    DirectoryLdif result;

private:
    static QString key(const QString &dn) { return rdnsOf(dn).join(u',').toCaseFolded(); }

    void writeParent(const QString &dn)
    {
        if (m_written.contains(key(dn)) || m_existing.contains(key(dn)))
            return;
        if (const Object *object = m_objects.value(key(dn))) {
            write(*object);
            return;
        }
        const QStringList rdns = rdnsOf(dn);
        if (key(dn) != key(m_suffix))
            writeParent(rdns.mid(1).join(u','));
        m_written.insert(key(dn));
        Object container{dn, {{QStringLiteral("objectClass"), QStringLiteral("top")}}};
        const QString type = rdns.first().section(u'=', 0, 0).trimmed();
        const QString value = rdns.first().section(u'=', 1);
        if (key(dn) == key(m_suffix) &&
            type.compare(QLatin1String("DC"), Qt::CaseInsensitive) == 0) {
            container.attributes.append({QStringLiteral("objectClass"), QStringLiteral("domain")});
            container.attributes.append({QStringLiteral("dc"), value});
        } else if (type.compare(QLatin1String("CN"), Qt::CaseInsensitive) == 0) {
            container.attributes.append(
                {QStringLiteral("objectClass"), QStringLiteral("container")});
            container.attributes.append({QStringLiteral("cn"), value});
        } else if (type.compare(QLatin1String("OU"), Qt::CaseInsensitive) == 0) {
            container.attributes.append(
                {QStringLiteral("objectClass"), QStringLiteral("organizationalUnit")});
            container.attributes.append({QStringLiteral("ou"), value});
        } else {
            fail(platform::error::LabFile,
                 QStringLiteral("%1: no container can be made for \"%2\" (only CN= and OU= "
                                "containers are)")
                     .arg(m_labPath, dn));
        }
        writeEntry(container);
        ++result.containers;
    }

    // The attributes an Active Directory server takes, in its form: what it derives itself
    // is left out.
    QList<QPair<QString, QByteArray>> activeDirectoryAttributes(const Object &object) const
    {
        const bool group = std::any_of(
            object.attributes.cbegin(), object.attributes.cend(), [](const auto &attribute) {
                return isNamed(attribute.first, "objectClass") &&
                       attribute.second.compare(QLatin1String("group"), Qt::CaseInsensitive) == 0;
            });
        QList<QPair<QString, QByteArray>> attributes;
        for (const auto &[name, value] : object.attributes) {
            if (derivedAttributes.contains(name, Qt::CaseInsensitive) || isNamed(name, "name") ||
                isNamed(name, "objectCategory"))
                continue;
            if (isNamed(name, "sAMAccountType")) {
                if (!group)
                    continue;
                if (!groupTypes.contains(value))
                    fail(platform::error::LabFile,
                         QStringLiteral("%1: the group \"%2\" has the account type %3, which no "
                                        "groupType gives")
                             .arg(m_labPath, object.dn, value));
                attributes.append({QStringLiteral("groupType"), groupTypes.value(value)});
            } else if (isNamed(name, "msExchMailboxGuid")) {
                const QUuid guid(value);
                if (guid.isNull())
                    fail(platform::error::LabFile,
                         QStringLiteral("%1: the mailbox GUID \"%2\" of \"%3\" is no GUID")
                             .arg(m_labPath, value, object.dn));
                attributes.append({name, guidBytes(guid)});
            } else {
                attributes.append({name, value.toUtf8()});
            }
        }
        return attributes;
    }

    // On Active Directory the stores and transfer agents a mailbox names must exist.
    void writeReferences(const Object &object)
    {
        if (!m_activeDirectory)
            return;
        for (const auto &[name, value] : object.attributes) {
            if (!isNamed(name, "homeMDB") && !isNamed(name, "homeMTA"))
                continue;
            if (!key(value).endsWith(u',' + key(m_suffix)))
                fail(platform::error::LabFile,
                     QStringLiteral("%1: %2 \"%3\" of \"%4\" is not below the domain %5")
                         .arg(m_labPath, name, value, object.dn, m_suffix));
            writeParent(value);
        }
    }

    // An entry the domain holds already: its attributes are replaced.
    void writeChange(const Object &object)
    {
        QByteArray &out = result.entries;
        writeLine(out, "dn", object.dn);
        out += "changetype: modify\n";
        QList<QPair<QString, QByteArray>> attributes = activeDirectoryAttributes(object);
        QStringList done;
        for (const auto &[name, value] : std::as_const(attributes)) {
            if (isNamed(name, "objectClass") || isNamed(name, "cn") ||
                done.contains(name, Qt::CaseInsensitive))
                continue;
            done.append(name);
            writeLine(out, "replace", name);
            for (const auto &[other, otherValue] : std::as_const(attributes)) {
                if (other.compare(name, Qt::CaseInsensitive) == 0)
                    writeLine(out, name.toUtf8().constData(), otherValue);
            }
            out += "-\n";
        }
        out += '\n';
    }

    void writeEntry(const Object &object)
    {
        QByteArray &out = result.entries;
        writeLine(out, "dn", object.dn);
        if (m_activeDirectory) {
            out += "changetype: add\n";
            for (const auto &[name, value] : activeDirectoryAttributes(object))
                writeLine(out, name.toUtf8().constData(), value);
            out += '\n';
            return;
        }
        bool person = false;
        bool hasSurname = false;
        QString commonName;
        for (const auto &[name, value] : object.attributes) {
            if (derivedAttributes.contains(name, Qt::CaseInsensitive))
                continue;
            person =
                person || (name.compare(QLatin1String("objectClass"), Qt::CaseInsensitive) == 0 &&
                           personClasses.contains(value, Qt::CaseInsensitive));
            hasSurname = hasSurname || name.compare(QLatin1String("sn"), Qt::CaseInsensitive) == 0;
            if (name.compare(QLatin1String("cn"), Qt::CaseInsensitive) == 0 && commonName.isNull())
                commonName = value;
            writeLine(out, name.toUtf8().constData(), value);
        }
        if (person && !hasSurname && !commonName.isEmpty())
            writeLine(out, "sn", commonName);
        out += '\n';
    }

    QString m_labPath;
    QString m_suffix;
    bool m_activeDirectory;
    QHash<QString, const Object *> m_objects;
    QSet<QString> m_written;
    QSet<QString> m_existing; // entries the server holds before the export is loaded
};

} // namespace

namespace {

DirectoryLdif exportLdif(const QString &labPath, bool activeDirectory)
{
    auto platform = openLab(labPath);
    LabDatabase &db = static_cast<LabPlatform &>(*platform).database();
    const Machine &machine = db.machine();
    QStringList domain;
    for (const QString &label : machine.domainDnsName.split(u'.', Qt::SkipEmptyParts))
        domain.append(QStringLiteral("DC=") + label);
    if (domain.isEmpty())
        fail(platform::error::LabFile,
             QStringLiteral("%1: the lab's computer is in no domain, so its directory has no "
                            "root to be exported below")
                 .arg(labPath));
    const QString suffix = domain.join(u',');

    QList<Object> objects;
    QSqlQuery &query =
        db.prepared(QStringLiteral("SELECT dn, attributes FROM directory_object ORDER BY id"));
    db.run(query);
    while (query.next())
        objects.append({query.value(0).toString(), decodeAttributes(query.value(1).toString())});
    query.finish();

    Writer writer(labPath, suffix, objects, activeDirectory);
    writer.writeRoot();
    for (const Object &object : std::as_const(objects))
        writer.write(object);

    DirectoryLdif ldif = writer.result;
    writeLine(ldif.rootDse, "dn", QString());
    if (!machine.globalCatalogHost.isEmpty())
        writeLine(ldif.rootDse, "dnsHostName", machine.globalCatalogHost);
    writeLine(ldif.rootDse, "defaultNamingContext", suffix);
    writeLine(ldif.rootDse, "schemaNamingContext",
              QStringLiteral("CN=Schema,CN=Configuration,") + suffix);
    return ldif;
}

} // namespace

DirectoryLdif exportDirectoryLdif(const QString &labPath)
{
    return exportLdif(labPath, false);
}

DirectoryLdif exportActiveDirectoryLdif(const QString &labPath)
{
    return exportLdif(labPath, true);
}

} // namespace lab
