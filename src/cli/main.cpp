// tarsela-cli: the command-line front of the program. This file only finds
// the command in the table, checks its arguments and turns a refusal into
// exit code 1; each command lives in the file of its group.
#include "cli/Command.h"

#include "engine/DatabaseError.h"

#include <QCoreApplication>

using namespace cli;

namespace {

QList<Command> allCommands()
{
    QList<Command> all;
    for (const QList<Command>& group :
         {databaseCommands(), scoringCommands(), rankingCommands(), exportCommands(), verifyCommands()})
        all += group;
    return all;
}

int usage(const QList<Command>& commands)
{
    QString text = QStringLiteral("Uso:");
    for (const Command& c : commands) {
        text += "\n  tarsela-cli " + c.name + ' ' + c.synopsis;
        for (const QString& o : c.options)
            if (!c.synopsis.contains(o))
                text += " [" + o + ' ' + o.mid(2).toUpper() + ']';
    }
    err(text);
    return 1;
}

// The command whose one- or two-word name starts the arguments.
const Command* find(const QList<Command>& commands, const QStringList& args)
{
    for (const Command& c : commands) {
        const QStringList words = c.name.split(' ');
        if (args.size() >= words.size() && args.mid(0, words.size()) == words)
            return &c;
    }
    return nullptr;
}

// Splits what follows the command's name into positional arguments and the
// command's options; false when an option lacks its value or is unknown.
bool parse(const Command& c, const QStringList& rest, Args& a)
{
    for (int i = 0; i < rest.size(); ++i) {
        const QString& s = rest[i];
        if (s.startsWith("--") && s.size() > 2) {
            if (!c.options.contains(s) || i + 1 >= rest.size())
                return false;
            a.options.insert(s, rest[++i]);
        } else {
            a.pos << s;
        }
    }
    for (const QString& r : c.required)
        if (!a.options.contains(r))
            return false;
    return a.size() >= c.minArgs && a.size() <= c.maxArgs;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QList<Command> commands = allCommands();
    if (args.isEmpty())
        return usage(commands);
    const Command* c = find(commands, args);
    if (!c) {
        err(QString::fromUtf8("Orden desconocida: «%1»").arg(args[0]));
        return usage(commands);
    }
    Args a;
    if (!parse(*c, args.mid(int(c->name.count(' ')) + 1), a))
        return usage(commands);
    try {
        return c->run(a);
    } catch (const Refusal& r) {
        err(r.message);
        return 1;
    } catch (const engine::DatabaseError& e) {
        err(e.message());
        return 1;
    }
}
