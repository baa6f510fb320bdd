#include "platform/lab/labldif.h"

#include "platform/lab/labdatabase.h"
#include "platform/lab/laberrors.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labplatform.h"

#include <QSet>

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

void writeLine(QByteArray &out, const char *name, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    out += name;
    if (!utf8.isEmpty())
        out += isSafe(utf8) ? ": " + utf8 : ":: " + utf8.toBase64();
    else
        out += ':';
    out += '\n';
}

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
    Writer(const QString &labPath, const QString &suffix, const QList<Object> &objects)
        : m_labPath(labPath), m_suffix(suffix)
    {
        for (const Object &object : objects)
            m_objects.insert(key(object.dn), &object);
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
        writeEntry(object);
        ++result.objects;
    }

    DirectoryLdif result;

private:
    static QString key(const QString &dn) { return rdnsOf(dn).join(u',').toCaseFolded(); }

    void writeParent(const QString &dn)
    {
        if (m_written.contains(key(dn)))
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

    void writeEntry(const Object &object)
    {
        QByteArray &out = result.entries;
        writeLine(out, "dn", object.dn);
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
    QHash<QString, const Object *> m_objects;
    QSet<QString> m_written;
};

} // namespace

DirectoryLdif exportDirectoryLdif(const QString &labPath)
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

    Writer writer(labPath, suffix, objects);
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

} // namespace lab
