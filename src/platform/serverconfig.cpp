#include "platform/serverconfig.h"

#include "platform/platformerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QUrl>

namespace platform {

namespace {

// An error number of its own, so a bad configuration is told apart from the servers' errors.
constexpr qint32 BadConfiguration = 1005;

const QStringList sections = {QStringLiteral("lab"), QStringLiteral("directory"),
                              QStringLiteral("store"), QStringLiteral("machine")};
const QStringList labKeys = {QStringLiteral("file")};
const QStringList directoryKeys = {QStringLiteral("backend"),
                                   QStringLiteral("uri"),
                                   QStringLiteral("startTls"),
                                   QStringLiteral("bindDn"),
                                   QStringLiteral("passwordFile"),
                                   QStringLiteral("baseDn"),
                                   QStringLiteral("globalCatalogHost"),
                                   QStringLiteral("timeout"),
                                   QStringLiteral("caFile"),
                                   QStringLiteral("referralHosts")};
const QStringList storeKeys = {QStringLiteral("backend"),       QStringLiteral("baseUrl"),
                               QStringLiteral("user"),          QStringLiteral("passwordFile"),
                               QStringLiteral("timeout"),       QStringLiteral("caFile"),
                               QStringLiteral("allowPlainHttp")};
const QStringList machineKeys = {QStringLiteral("computerName"), QStringLiteral("domainDnsName"),
                                 QStringLiteral("clusterNode"), QStringLiteral("lanGroup"),
                                 QStringLiteral("userName")};

class Reader
{
public:
    explicit Reader(const QString &path)
        : m_path(path), m_settings(path, QSettings::IniFormat),
          m_folder(QFileInfo(path).absoluteDir())
    {
    }

    [[noreturn]] void fail(const QString &what) const
    {
        throw PlatformError(BadConfiguration, QStringLiteral("%1: %2").arg(m_path, what));
    }

    [[noreturn]] void fail(const QString &key, const QString &what) const
    {
        fail(QStringLiteral("%1: %2").arg(key, what));
    }

    // What the INI reader passes over silently: a line that is no setting, a key given
    // twice (the last would win), a file without any setting.
    void checkLines()
    {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read: %1").arg(file.errorString()));
        QString section;
        QSet<QString> seen;
        int number = 0;
        while (!file.atEnd()) {
            ++number;
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
                continue;
            if (line.startsWith(u'[') && line.contains(u']')) {
                section = line.mid(1, line.indexOf(u']') - 1).trimmed();
                continue;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0)
                fail(QStringLiteral("line %1: \"%2\" is no setting (key=value) and no [section]")
                         .arg(number)
                         .arg(line));
            const QString key = section + u'/' + line.left(equals).trimmed();
            if (seen.contains(key.toLower()))
                fail(QStringLiteral("line %1: [%2] %3 is given twice")
                         .arg(number)
                         .arg(section, line.left(equals).trimmed()));
            seen.insert(key.toLower());
        }
        if (seen.isEmpty())
            fail(QStringLiteral("no setting in the file; give at least one section and key, "
                                "or leave KESTRELON_CONFIG unset for the lab"));
    }

    void checkKeys()
    {
        checkLines();
        if (m_settings.status() != QSettings::NoError)
            fail(QStringLiteral("not a readable INI file"));
        for (const QString &key : m_settings.allKeys()) {
            const QString section = key.section(u'/', 0, 0);
            const QString name = key.section(u'/', 1);
            if (!key.contains(u'/'))
                fail(key, QStringLiteral("a setting outside any [section]"));
            const QStringList &known = section == QLatin1String("lab")         ? labKeys
                                       : section == QLatin1String("directory") ? directoryKeys
                                       : section == QLatin1String("store")     ? storeKeys
                                                                               : machineKeys;
            if (!sections.contains(section))
                fail(QStringLiteral("[%1]: unknown section (known: %2)")
                         .arg(section, sections.join(QStringLiteral(", "))));
            if (!known.contains(name))
                fail(QStringLiteral("[%1] %2: unknown key (known: %3)")
                         .arg(section, name, known.join(QStringLiteral(", "))));
        }
    }

    bool has(const QString &key) const { return m_settings.contains(key); }

    QString text(const QString &key) const
    {
        const QVariant value = m_settings.value(key);
        // An unquoted value with commas reads as a list; a distinguished name has commas.
        const QString joined = value.typeId() == QMetaType::QStringList
                                   ? value.toStringList().join(u',')
                                   : value.toString();
        for (QChar c : joined) {
            if (c.unicode() < 0x20)
                fail(key, QStringLiteral("holds a control character; put the value in double "
                                         "quotes and write each backslash as \\\\"));
        }
        return joined.trimmed();
    }

    std::optional<QString> optionalText(const QString &key) const
    {
        return has(key) ? std::optional<QString>(text(key)) : std::nullopt;
    }

    std::optional<bool> flag(const QString &key) const
    {
        if (!has(key))
            return std::nullopt;
        const QString value = text(key).toLower();
        if (value == QLatin1String("true") || value == QLatin1String("yes") ||
            value == QLatin1String("1"))
            return true;
        if (value == QLatin1String("false") || value == QLatin1String("no") ||
            value == QLatin1String("0"))
            return false;
        fail(key, QStringLiteral("\"%1\" is not true or false").arg(text(key)));
    }

    // A path from the file's folder; an existing file when asked for.
    QString path(const QString &key, bool mustExist) const
    {
        const QString value = text(key);
        if (value.isEmpty())
            return value;
        const QString absolute = m_folder.absoluteFilePath(value);
        if (mustExist && !QFileInfo(absolute).isFile())
            fail(key, QStringLiteral("%1 is not a file").arg(absolute));
        return absolute;
    }

    // A positive number of seconds; `fallback` when the key is absent.
    int seconds(const QString &key, int fallback) const
    {
        if (!has(key))
            return fallback;
        bool ok = false;
        const int value = text(key).toInt(&ok);
        if (!ok || value <= 0)
            fail(key, QStringLiteral("\"%1\" is not a number of seconds").arg(text(key)));
        return value;
    }

    QString password(const QString &key) const
    {
        const QString file = path(key, true);
        const QFileDevice::Permissions permissions = QFile::permissions(file);
        if (permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
            fail(key, QStringLiteral("the password file %1 can be read by other users; make it "
                                     "private to its owner (chmod 600)")
                          .arg(file));
        // Whoever may write it chooses the password the program signs in with.
        if (permissions & (QFileDevice::WriteGroup | QFileDevice::WriteOther))
            fail(key, QStringLiteral("the password file %1 can be changed by other users; make "
                                     "it private to its owner (chmod 600)")
                          .arg(file));
        QFile source(file);
        if (!source.open(QIODevice::ReadOnly))
            fail(key, QStringLiteral("cannot read the password file %1: %2")
                          .arg(file, source.errorString()));
        // A password is one short line; anything else is the wrong file.
        constexpr qint64 MaxPasswordBytes = 1024;
        QByteArray content = source.read(MaxPasswordBytes + 1);
        if (content.size() > MaxPasswordBytes)
            fail(key, QStringLiteral("the password file %1 is larger than %2 bytes; it holds one "
                                     "line, the password")
                          .arg(file)
                          .arg(MaxPasswordBytes));
        while (content.endsWith('\n') || content.endsWith('\r'))
            content.chop(1);
        if (content.contains('\n'))
            fail(key, QStringLiteral("the password file %1 holds more than one line; it holds "
                                     "one line, the password")
                          .arg(file));
        // A bind with a name and an empty password is an anonymous bind on most servers.
        if (content.isEmpty())
            fail(key, QStringLiteral("the password file %1 is empty").arg(file));
        return QString::fromUtf8(content);
    }

private:
    QString m_path;
    QSettings m_settings;
    QDir m_folder;
};

ldapbackend::LdapSettings readDirectory(const Reader &reader)
{
    ldapbackend::LdapSettings settings;
    settings.uri = reader.text(QStringLiteral("directory/uri"));
    const QString scheme = settings.uri.section(QLatin1String("://"), 0, 0).toLower();
    if (settings.uri.isEmpty())
        reader.fail(QStringLiteral("directory/uri"), QStringLiteral("missing; backend=ldap needs "
                                                                    "the server's address"));
    if (!settings.uri.contains(QLatin1String("://")) ||
        (scheme != QLatin1String("ldap") && scheme != QLatin1String("ldaps")))
        reader.fail(
            QStringLiteral("directory/uri"),
            QStringLiteral("\"%1\" is not an ldap:// or ldaps:// address").arg(settings.uri));
    settings.startTls = reader.flag(QStringLiteral("directory/startTls")).value_or(false);
    if (settings.startTls && scheme == QLatin1String("ldaps"))
        reader.fail(QStringLiteral("directory/startTls"),
                    QStringLiteral("an ldaps:// address is encrypted already"));
    settings.bindDn = reader.text(QStringLiteral("directory/bindDn"));
    const bool hasPassword = reader.has(QStringLiteral("directory/passwordFile"));
    if (settings.bindDn.isEmpty() && hasPassword)
        reader.fail(QStringLiteral("directory/passwordFile"),
                    QStringLiteral("given without bindDn"));
    if (!settings.bindDn.isEmpty() && !hasPassword)
        reader.fail(QStringLiteral("directory/bindDn"),
                    QStringLiteral("needs passwordFile, the file that holds its password"));
    if (hasPassword)
        settings.password = reader.password(QStringLiteral("directory/passwordFile"));
    settings.baseDn = reader.optionalText(QStringLiteral("directory/baseDn"));
    settings.globalCatalogHost = reader.text(QStringLiteral("directory/globalCatalogHost"));
    settings.timeoutSeconds =
        reader.seconds(QStringLiteral("directory/timeout"), settings.timeoutSeconds);
    settings.caFile = reader.path(QStringLiteral("directory/caFile"), true);
    const QString hostsKey = QStringLiteral("directory/referralHosts");
    for (const QString &entry : reader.text(hostsKey).split(
             QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts)) {
        // host, host:port, [v6 address] or [v6 address]:port
        static const QRegularExpression hostPort(
            QStringLiteral("^([A-Za-z0-9._-]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]{1,5})?$"));
        const QRegularExpressionMatch match = hostPort.match(entry);
        const int port = match.captured(2).mid(1).toInt();
        if (!match.hasMatch() || (!match.captured(2).isEmpty() && (port < 1 || port > 65535)))
            reader.fail(hostsKey, QStringLiteral("\"%1\" is not a host or host:port").arg(entry));
        settings.referralHosts.append(entry);
    }
    return settings;
}

webdav::WebDavSettings readStore(const Reader &reader)
{
    webdav::WebDavSettings settings;
    const QString baseKey = QStringLiteral("store/baseUrl");
    settings.baseUrl = reader.text(baseKey);
    const QUrl base(settings.baseUrl, QUrl::StrictMode);
    if (!settings.baseUrl.isEmpty() &&
        (!base.isValid() || base.host().isEmpty() || !base.userInfo().isEmpty() ||
         base.hasQuery() || base.hasFragment() ||
         (base.scheme() != QLatin1String("http") && base.scheme() != QLatin1String("https"))))
        reader.fail(baseKey, QStringLiteral("\"%1\" is not an http:// or https:// address "
                                            "(without user, query or fragment)")
                                 .arg(settings.baseUrl));
    settings.user = reader.text(QStringLiteral("store/user"));
    const bool hasPassword = reader.has(QStringLiteral("store/passwordFile"));
    if (settings.user.isEmpty() && hasPassword)
        reader.fail(QStringLiteral("store/passwordFile"), QStringLiteral("given without user"));
    if (!settings.user.isEmpty() && !hasPassword)
        reader.fail(QStringLiteral("store/user"),
                    QStringLiteral("needs passwordFile, the file that holds its password"));
    if (hasPassword)
        settings.password = reader.password(QStringLiteral("store/passwordFile"));
    settings.timeoutSeconds = reader.seconds(QStringLiteral("store/timeout"), 30);
    settings.caFile = reader.path(QStringLiteral("store/caFile"), true);
    settings.allowPlainHttp = reader.flag(QStringLiteral("store/allowPlainHttp")).value_or(false);
    // Without a base URL the program's own http:// URLs are used.
    if (!settings.user.isEmpty() && !settings.allowPlainHttp &&
        base.scheme() != QLatin1String("https"))
        reader.fail(QStringLiteral("store/user"),
                    QStringLiteral("the password would travel readable over http://; give an "
                                   "https:// baseUrl, or set allowPlainHttp=true"));
    return settings;
}

} // namespace

ServerConfig readServerConfig(const QString &path)
{
    if (QFileInfo(path).isDir())
        throw PlatformError(BadConfiguration,
                            QStringLiteral("%1: is a folder, not a configuration file").arg(path));
    if (!QFileInfo(path).isFile())
        throw PlatformError(BadConfiguration,
                            QStringLiteral("%1: the configuration file does not exist").arg(path));
    Reader reader(path);
    reader.checkKeys();
    ServerConfig config;
    config.path = path;
    config.labFile = reader.path(QStringLiteral("lab/file"), false);

    const QString backend = reader.text(QStringLiteral("directory/backend")).toLower();
    if (backend == QLatin1String("ldap"))
        config.directory = readDirectory(reader);
    else if (!backend.isEmpty() && backend != QLatin1String("lab"))
        reader.fail(QStringLiteral("directory/backend"),
                    QStringLiteral("\"%1\" is neither lab nor ldap").arg(backend));

    const QString store = reader.text(QStringLiteral("store/backend")).toLower();
    if (store == QLatin1String("webdav"))
        config.store = readStore(reader);
    else if (!store.isEmpty() && store != QLatin1String("lab"))
        reader.fail(QStringLiteral("store/backend"),
                    QStringLiteral("\"%1\" is neither lab nor webdav").arg(store));

    MachineSettings &machine = config.machine;
    machine.computerName = reader.optionalText(QStringLiteral("machine/computerName"));
    machine.domainDnsName = reader.optionalText(QStringLiteral("machine/domainDnsName"));
    machine.clusterNode = reader.flag(QStringLiteral("machine/clusterNode"));
    machine.lanGroup = reader.optionalText(QStringLiteral("machine/lanGroup"));
    machine.userName = reader.optionalText(QStringLiteral("machine/userName"));
    return config;
}

} // namespace platform
