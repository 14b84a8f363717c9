#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// What a row asks of another option: that it is given (a flag set, a value not empty), or, with
// a value, that the option has this value (its default included).
struct OptionCondition
{
    QString option;
    QString value{};
    // The usage error when the rule is broken, %1 being the row's long name; empty: the table's
    // "--NAME needs --OPTION [VALUE]" for a requirement, "--NAME cannot go with --OPTION [VALUE]"
    // for an exclusion.
    QString message{};
};

// One option of a program: what its command line accepts, what its help says, what it sets.
struct OptionRow
{
    // Reads the option's values (the default when the option is not given, every one when it is
    // repeated) into the program's options; returns the usage error, empty when all is well. A
    // flag's reader is called only when the flag is given.
    using Reader = std::function<QString(const QStringList &values)>;

    QStringList names;   // the long name last: messages name the option by it
    QString valueName{}; // empty: a flag
    QString help{};
    QString defaultValue{};
    Reader read{};
    QList<OptionCondition> needs{};
    QList<OptionCondition> excludes{};
    // Help, version and the like: given, nothing else is read.
    bool action = false;
    bool hidden = false;
};

// A program's options declared once: builds the parser and the help, reads the values through the
// rows' readers and checks the rows' requirements and exclusions.
class OptionTable
{
public:
    explicit OptionTable(const QString &description);

    void add(const OptionRow &row);
    void add(const QList<OptionRow> &rows);
    // QCommandLineParser's own help and version options, as the actions "help" and "version".
    void addHelpAndVersion();
    void addPositional(const QString &name, const QString &help);

    // Reads the arguments, the program first; the usage error when an option is unknown or lacks
    // its value, empty when the line is read.
    QString parse(const QStringList &arguments);
    // The long name of the first action given, in the table's order; empty when none is.
    [[nodiscard]] QString action() const;
    // In the table's order: checks each given row's requirements and exclusions, then reads the
    // row. The first usage error, empty when all is well.
    QString read();

    [[nodiscard]] bool isGiven(const QString &name) const;
    [[nodiscard]] QStringList positional() const;
    [[nodiscard]] QString helpText() const;

private:
    [[nodiscard]] bool holds(const OptionCondition &condition) const;
    [[nodiscard]] const OptionRow *row(const QString &name) const;

    QCommandLineParser m_parser;
    QList<OptionRow> m_rows;
};

namespace optiontable {

// The one shape of a refused value: "--NAME needs WHAT, not 'VALUE'".
QString refusal(const QString &name, const QString &what, const QString &value);

} // namespace optiontable
