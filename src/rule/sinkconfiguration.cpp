#include "rule/sinkconfiguration.h"

#include "rule/spacetrim.h"

namespace {

const QChar Tab(9);
const QChar Cr(13);

// Slashes turned, quotes removed and the outer backslashes stripped.
QString cleanTarget(const QString &text)
{
    QString target = trimSpaces(text);
    target.replace(QLatin1Char('/'), QLatin1Char('\\'));
    target.remove(QLatin1Char('\''));
    target.remove(QLatin1Char('"'));
    qsizetype begin = 0;
    qsizetype end = target.size();
    while (begin < end && target[begin] == QLatin1Char('\\'))
        ++begin;
    while (end > begin && target[end - 1] == QLatin1Char('\\'))
        --end;
    return target.mid(begin, end - begin);
}

bool emptyOrTabsOnly(const QString &text)
{
    for (QChar c : text) {
        if (c != Tab)
            return false;
    }
    return true;
}

void setDefaultRows(RuleEditor &editor)
{
    for (int i = 1; i < RuleEditor::RowCount; ++i) {
        editor.rows[i].conditionEdit.setText(QString());
        editor.rows[i].targetEdit.setText(QString());
    }
}

} // namespace

std::optional<QString> buildSinkConfiguration(RuleEditor &editor, const QString &windowCaption)
{
    QString targets;
    QString conditions;
    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        RuleRow &row = editor.rows[i];
        row.targetEdit.setText(cleanTarget(row.targetEdit.text()).remove(QLatin1Char(':')));
        const QString condition = trimSpaces(row.conditionEdit.text());
        // A row without a condition is switched off: it adds nothing to either field, so
        // that targets and conditions keep pairing by position.
        if (condition.isEmpty())
            continue;
        const int action = editor.action(i);
        if (action == RuleEditor::Delete) {
            row.targetEdit.setText(QStringLiteral("[Null]"));
        } else if (trimSpaces(row.targetEdit.text()).isEmpty()) {
            // A move, forward or SCL row needs its target; the loop ends here.
            targets.clear();
            break;
        } else if (action == RuleEditor::SetScl && trimSpaces(row.targetEdit.text()).size() == 1) {
            targets += QLatin1Char('+');
        }
        targets += trimSpaces(row.targetEdit.text()) + Tab;
        conditions += condition + Tab;
    }
    if (emptyOrTabsOnly(targets) || emptyOrTabsOnly(conditions)) {
        editor.screen().messageBox(
            QStringLiteral("Please fill the Spam header and Target folder fields"),
            Screen::Icon::Exclamation, windowCaption);
        return std::nullopt;
    }
    return targets + Cr + conditions + Cr + trimSpaces(editor.priorityEdit.text());
}

void loadSinkConfiguration(RuleEditor &editor, const QString &configuration)
{
    QString targetsPart;
    QString conditionsPart;
    QString priorityPart;
    const qsizetype firstCr = configuration.indexOf(Cr);
    if (firstCr >= 1) {
        targetsPart = trimSpaces(QStringView(configuration).left(firstCr));
        const QString rest = trimSpaces(QStringView(configuration).mid(firstCr + 1));
        const qsizetype secondCr = rest.indexOf(Cr);
        if (secondCr >= 1) {
            priorityPart = trimSpaces(QStringView(rest).mid(secondCr + 1));
            conditionsPart = trimSpaces(QStringView(rest).left(secondCr));
        } else {
            conditionsPart = rest;
        }
    }

    QString priority = priorityPart;
    if (priority.isEmpty())
        priority = editor.priorityEdit.text();
    if (priority.isEmpty())
        priority = QStringLiteral("65535");
    editor.priorityGuard = true;
    editor.priorityEdit.setText(priority);
    editor.priorityGuard = false;
    editor.lastAcceptedPriority = priority;

    if (!conditionsPart.isEmpty()) {
        const QStringList elements = conditionsPart.split(Tab);
        for (int i = 0; i < RuleEditor::RowCount; ++i)
            editor.rows[i].conditionEdit.setText(i < elements.size() ? elements[i] : QString());
    } else if (!editor.rows[0].conditionEdit.text().isEmpty()) {
        for (RuleRow &row : editor.rows) {
            if (!row.conditionEdit.text().isEmpty() && row.actionList.currentIndex() <= 0)
                row.targetEdit.setLocked(false);
        }
    } else {
        editor.rows[0].conditionEdit.setText(QStringLiteral("X-Spam-Flag: YES"));
        setDefaultRows(editor);
    }

    if (!targetsPart.isEmpty()) {
        const QStringList elements = targetsPart.split(Tab);
        for (int i = 0; i < RuleEditor::RowCount; ++i) {
            RuleRow &row = editor.rows[i];
            if (i >= elements.size()) {
                row.targetEdit.setText(QString());
                continue;
            }
            QString target = trimSpaces(elements[i]);
            if (target.compare(QLatin1String("[NULL]"), Qt::CaseInsensitive) == 0) {
                row.actionList.setTopIndex(RuleEditor::Delete);
            } else if (target.contains(QLatin1Char('@'))) {
                row.actionList.setTopIndex(RuleEditor::ForwardTo);
            } else if (target.size() == 2 &&
                       (target[0] == QLatin1Char('+') || target[0] == QLatin1Char('-'))) {
                row.actionList.setTopIndex(RuleEditor::SetScl);
                if (target[0] == QLatin1Char('+'))
                    target.remove(0, 1);
            }
            row.targetEdit.setText(target);
            editor.clearActionSelection(i);
        }
    } else if (editor.rows[0].targetEdit.text().isEmpty()) {
        editor.rows[0].targetEdit.setText(QStringLiteral("Spam"));
        setDefaultRows(editor);
    }
}
