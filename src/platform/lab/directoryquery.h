#pragma once

#include <memory>
#include <QString>
#include <QStringList>
#include <vector>

namespace lab {

// One node of a parsed WHERE filter: a comparison, or AND / OR over its children.
struct FilterNode
{
    enum class Kind { Compare, And, Or };
    Kind kind = Kind::Compare;
    QString attribute;       // Compare: the attribute name as written
    int attributeIndex = -1; // Compare: set by bindAttributes() before evaluation
    QString value;           // Compare: the value, quotes removed and '' turned into '
    std::vector<std::unique_ptr<FilterNode>> children;
};

// A directory query in the SQL dialect, parsed:
// SELECT attr[, attr...] FROM 'GC://host[/base]' [WHERE filter] [ORDER BY attr [ASC|DESC]].
struct DirectoryQuery
{
    QStringList attributes;
    QString host;
    QString base; // the path after the host ('GC://host/DC=corp,DC=com'); empty: none
    std::unique_ptr<FilterNode> filter; // null: every object
    QString orderBy;                    // empty: directory order
    bool descending = false;
    int hostPosition = 0; // 1-based position of the FROM string, for error messages
};

// Parses a command text; throws PlatformError(error::QuerySyntax) saying what is wrong and
// at which 1-based character position.
DirectoryQuery parseDirectoryQuery(const QString &text);

} // namespace lab
