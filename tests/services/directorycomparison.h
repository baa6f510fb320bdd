#pragma once

#include "platform/directory.h"
#include "platform/lab/labscenario.h"
#include "platform/platform.h"

#include <memory>
#include <QStringList>

// What the directory's service tests share, whichever server they run against: the queries
// and windows of the program on a lab and on a server that serves the lab's organization
// must give the same rows.
namespace DirectoryComparison {

inline const QString gcHost = QStringLiteral("dc01.corp.example.local");
inline const QString suffix = QStringLiteral("DC=corp,DC=example,DC=local");

// Subtree, referrals chased, pages of 100, at most 30,000 rows.
platform::SearchProperties pagedSearch(int pageSize = 100, int sizeLimit = 30000);

// The demo organization without a LAN group (so the identity comes from the directory), its
// system mailboxes with the account type a domain controller gives them, and contacts whose
// names hold the characters a filter gives meaning to.
lab::Scenario demoScenario();

std::unique_ptr<platform::DirectoryConnection> opened(platform::Platform &platform);

// Every row of a query, each as its fields in text, "<null>" for an absent one; a 16-byte
// value (a GUID the server keeps as bytes) in the lab's text form.
QStringList rowsOf(platform::DirectoryConnection &directory, const QString &query,
                   const platform::SearchProperties &properties = pagedSearch());

// The table of queries: columns query, sizeLimit, pageSize, count (the lab's rows) and large
// (run on the generated organization of 2,500 mailboxes rather than the demo).
void addQueryRows();
// One row of that table: the server's rows equal the lab's.
void compareQueryRow(platform::Platform &lab, platform::Platform &server);

// The four mailbox lists, the cluster lookup, the identity proposal and the recipient picker
// on the lab and on the server, with disabled accounts shown or not: equal.
void compareWindows(platform::Platform &lab, platform::Platform &server, bool showDisabled);

} // namespace DirectoryComparison
