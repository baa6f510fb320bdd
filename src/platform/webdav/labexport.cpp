#include "platform/webdav/labexport.h"

#include "platform/lab/labfile.h"
#include "platform/lab/labplatform.h"
#include "platform/lab/typedvalue.h"
#include "platform/platformerror.h"
#include "platform/webdav/webdavstore.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <unistd.h>

namespace webdav {

namespace {

struct Folder
{
    QString mailboxRoot; // the URL as the program writes it
    QString path;        // below the root, "" for the root itself
};

[[noreturn]] void failFile(const QString &path, const QString &what)
{
    throw platform::PlatformError(platform::error::LabIo, QStringLiteral("%1: %2").arg(path, what));
}

// As root, what is made here goes to the folder's owner: the server must write below it.
void makeFolder(const QString &documentRoot, const QString &relative)
{
    QString path = documentRoot;
    const QFileInfo root(documentRoot);
    for (const QString &segment : relative.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + segment;
        if (QFileInfo(path).isDir())
            continue;
        if (!QDir().mkdir(path))
            failFile(path, QStringLiteral("cannot create the folder"));
        if (geteuid() == 0 &&
            chown(QFile::encodeName(path).constData(), root.ownerId(), root.groupId()) != 0)
            failFile(path, QStringLiteral("cannot hand the folder to the server's account"));
    }
}

void link(const QString &target, const QString &path)
{
    if (!QFileInfo(path).exists() && !QFile::link(target, path))
        failFile(path, QStringLiteral("cannot link it to %1").arg(target));
}

QSqlQuery run(lab::LabDatabase &db, const QString &sql)
{
    QSqlQuery query = QSqlQuery(db.database());
    if (!query.exec(sql))
        db.failStatement(platform::error::LabFile, QStringLiteral("cannot read the store"),
                         query.lastError());
    return query;
}

} // namespace

DavExport exportLabStore(const QString &labPath, const QString &folder,
                         const WebDavSettings &server)
{
    if (!QFileInfo(folder).isDir())
        failFile(folder, QStringLiteral("not a folder"));
    auto platform = lab::openLab(labPath);
    lab::LabDatabase &db = static_cast<lab::LabPlatform &>(*platform).database();
    const lab::Machine &machine = db.machine();
    if (machine.storeDomainFolders.isEmpty() || machine.storeHosts.isEmpty())
        throw platform::PlatformError(platform::error::LabFile,
                                      QStringLiteral("%1: the store answers to no domain folder "
                                                     "or host")
                                          .arg(labPath));
    const QString domainFolder = machine.storeDomainFolders.first();
    const QString mbx = QStringLiteral("exadmin/%1/mbx").arg(domainFolder);
    makeFolder(folder, mbx);
    for (const QString &other : machine.storeDomainFolders.mid(1))
        link(domainFolder, folder + QStringLiteral("/exadmin/") + other);
    const QString host = QStringLiteral("http://%1/").arg(machine.storeHosts.first()) + mbx;

    DavExport done;
    WebDavStoreConnection store(server);
    QHash<qint64, QString> roots; // mailbox id -> root URL
    QSqlQuery names = run(db, QStringLiteral("SELECT n.mailbox_id, n.name, m.inbox_name FROM "
                                             "mailbox_name n JOIN mailbox m ON m.id = "
                                             "n.mailbox_id WHERE m.http_form = 1 ORDER BY "
                                             "n.mailbox_id, n.position"));
    while (names.next()) {
        const qint64 id = names.value(0).toLongLong();
        const QString name = names.value(1).toString();
        if (roots.contains(id)) {
            link(roots[id].section(u'/', -1), folder + u'/' + mbx + u'/' + name);
            continue;
        }
        const QString root = host + u'/' + name;
        roots.insert(id, root);
        makeFolder(folder, mbx + u'/' + name);
        store.open(root, {}, {});
        auto record =
            store.openRecord(root, platform::RecordMode::ReadWrite,
                             platform::CreateOption::FailIfNotExists, platform::OptionsUnspecified);
        record->setField(QStringLiteral("urn:schemas:httpmail:inbox"),
                         root + u'/' + names.value(2).toString());
        record->update();
        ++done.mailboxes;
    }

    QHash<qint64, Folder> folders;
    QSqlQuery folderRows = run(db, QStringLiteral("SELECT id, mailbox_id, path FROM folder"));
    while (folderRows.next()) {
        const QString root = roots.value(folderRows.value(1).toLongLong());
        const QString path = folderRows.value(2).toString();
        if (root.isEmpty())
            continue;
        folders.insert(folderRows.value(0).toLongLong(), {root, path});
        if (!path.isEmpty()) {
            makeFolder(folder, mbx + u'/' + root.section(u'/', -1) + u'/' + path);
            ++done.folders;
        }
    }

    QSqlQuery items = run(db, QStringLiteral("SELECT i.id, i.folder_id, i.name, p.name, p.type, "
                                             "p.value FROM item i LEFT JOIN property p ON "
                                             "p.item_id = i.id ORDER BY i.id, p.position"));
    qint64 current = 0;
    Folder at;
    QString itemName;
    QList<std::pair<QString, QVariant>> fields;
    const auto writeItem = [&] {
        if (current == 0 || at.mailboxRoot.isEmpty())
            return;
        const QString url =
            at.mailboxRoot + (at.path.isEmpty() ? QString() : u'/' + at.path) + u'/' + itemName;
        store.open(at.mailboxRoot, {}, {});
        auto record =
            store.openRecord(url, platform::RecordMode::ReadWrite,
                             platform::CreateOption::Overwrite, platform::DelayFetchFields);
        for (const auto &[name, value] : std::as_const(fields))
            record->setField(name, value);
        record->update();
        ++done.items;
    };
    while (items.next()) {
        if (items.value(0).toLongLong() != current) {
            writeItem();
            current = items.value(0).toLongLong();
            at = folders.value(items.value(1).toLongLong());
            itemName = items.value(2).toString();
            fields.clear();
        }
        if (!items.value(3).isNull())
            fields.append({items.value(3).toString(),
                           lab::decodeValue(items.value(4).toString(), items.value(5).toString())});
    }
    writeItem();
    store.close();
    return done;
}

} // namespace webdav
