#include "core/optiontable.h"

#include <algorithm>

namespace {

QString described(const OptionCondition &condition)
{
    const QString option = QStringLiteral("--") + condition.option;
    return condition.value.isEmpty() ? option : option + QLatin1Char(' ') + condition.value;
}

QString brokenRule(const OptionCondition &condition, const QString &name, const QString &shape)
{
    if (!condition.message.isEmpty()) {
        return condition.message.arg(name);
    }
    return shape.arg(name, described(condition));
}

} // namespace

OptionTable::OptionTable(const QString &description)
{
    m_parser.setApplicationDescription(description);
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

void OptionTable::add(const OptionRow &row)
{
    QCommandLineOption option(row.names, row.help, row.valueName, row.defaultValue);
    if (row.hidden) {
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    }
    m_parser.addOption(option);
    m_rows.append(row);
}

void OptionTable::add(const QList<OptionRow> &rows)
{
    for (const OptionRow &row : rows) {
        add(row);
    }
}

void OptionTable::addHelpAndVersion()
{
    for (const QCommandLineOption &option :
         {m_parser.addHelpOption(), m_parser.addVersionOption()}) {
        OptionRow row;
        row.names = option.names();
        row.action = true;
        m_rows.append(row);
    }
}

void OptionTable::addPositional(const QString &name, const QString &help)
{
    m_parser.addPositionalArgument(name, help);
}

QString OptionTable::parse(const QStringList &arguments)
{
    return m_parser.parse(arguments) ? QString() : m_parser.errorText();
}

QString OptionTable::action() const
{
    for (const OptionRow &row : m_rows) {
        if (row.action && m_parser.isSet(row.names.constLast())) {
            return row.names.constLast();
        }
    }
    return {};
}

QString OptionTable::read()
{
    for (const OptionRow &row : m_rows) {
        const QString name = row.names.constLast();
        const bool given = m_parser.isSet(name);
        if (given) {
            for (const OptionCondition &condition : row.needs) {
                if (!holds(condition)) {
                    return brokenRule(condition, name, QStringLiteral("--%1 needs %2"));
                }
            }
            for (const OptionCondition &condition : row.excludes) {
                if (holds(condition)) {
                    return brokenRule(condition, name, QStringLiteral("--%1 cannot go with %2"));
                }
            }
        }
        if (row.read && (given || !row.defaultValue.isEmpty())) {
            if (const QString error = row.read(m_parser.values(name)); !error.isEmpty()) {
                return error;
            }
        }
    }
    return {};
}

bool OptionTable::isGiven(const QString &name) const
{
    return m_parser.isSet(name);
}

QStringList OptionTable::positional() const
{
    return m_parser.positionalArguments();
}

QString OptionTable::helpText() const
{
    return m_parser.helpText();
}

bool OptionTable::holds(const OptionCondition &condition) const
{
    if (!condition.value.isEmpty()) {
        return m_parser.value(condition.option) == condition.value;
    }
    if (!m_parser.isSet(condition.option)) {
        return false;
    }
    const OptionRow *other = row(condition.option);
    const QStringList values = m_parser.values(condition.option);
    return (other && other->valueName.isEmpty()) ||
           std::any_of(values.cbegin(), values.cend(),
                       [](const QString &value) { return !value.isEmpty(); });
}

const OptionRow *OptionTable::row(const QString &name) const
{
    const auto found = std::find_if(m_rows.cbegin(), m_rows.cend(), [&name](const OptionRow &row) {
        return row.names.contains(name);
    });
    return found == m_rows.cend() ? nullptr : &*found;
}

namespace optiontable {

QString refusal(const QString &name, const QString &what, const QString &value)
{
    return QStringLiteral("--%1 needs %2, not '%3'").arg(name, what, value);
}

} // namespace optiontable
