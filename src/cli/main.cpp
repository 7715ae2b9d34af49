// tarsela-cli: the command-line front of the program. This file only finds
// the command in the table, checks its arguments and turns a refusal into
// exit code 1; each command lives in the file of its group.
#include "cli/Command.h"

#include "data/Dialogs.h"
#include "engine/DatabaseError.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

using namespace cli;

namespace {

// A printing run shows no window: the platform's own notices (a missing
// runtime folder, fonts) are not the command's to report.
void quietPlatform(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        err(msg);
}

// The core's notices and questions print as everything else a command
// prints: each line through err().
class TerminalDialogs : public ConsoleDialogs {
protected:
    void printLine(const QString& line) override { err(line); }
};

QList<Command> allCommands()
{
    QList<Command> all;
    for (const QList<Command>& group :
         {databaseCommands(), scoringCommands(), rankingCommands(), exportCommands(), printCommands(),
          verifyCommands()})
        all += group;
    return all;
}

int usage(const QList<Command>& commands)
{
    err(QStringLiteral("Uso:"));
    for (const Command& c : commands) {
        QString line = "  tarsela-cli " + c.name + ' ' + c.synopsis;
        for (const QString& o : c.options)
            if (!c.synopsis.contains(o))
                line += " [" + o + ' ' + o.mid(2).toUpper() + ']';
        err(line);
    }
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
    const QList<Command> commands = allCommands();
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    // Printing measures and draws text, which needs a GUI application; it
    // shows no window, so the offscreen platform does.
    const Command* printing = given.isEmpty() ? nullptr : find(commands, given);
    std::unique_ptr<QCoreApplication> app;
    if (printing && printing->gui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietPlatform);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    static TerminalDialogs dialogs;
    setUserDialogs(&dialogs);
    const QStringList args = app->arguments().mid(1);
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
