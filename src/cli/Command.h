#pragma once

// What every command of tarsela-cli shares: its table entry, its arguments,
// the refusal that ends it with exit code 1, and opening a file and a day.

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class Tdm;

namespace cli {

// The arguments a command receives: positional ones after its name, and the
// options it declared ("--carpeta DIR") by name.
struct Args {
    QStringList pos;
    QMap<QString, QString> options;

    const QString& operator[](int i) const { return pos[i]; }
    int size() const { return int(pos.size()); }
    bool has(const QString& option) const { return options.contains(option); }
    QString option(const QString& name) const { return options.value(name); }
};

// One entry of the command table. The name is one word ("pesar") or two
// ("exportar pesca"); minArgs/maxArgs count the positional arguments after
// it; options are those that take a value ("--carpeta"), and required ones
// are listed in `required` too.
struct Command {
    QString name;
    QString synopsis;
    int minArgs;
    int maxArgs;
    int (*run)(const Args&);
    QStringList options = {};
    QStringList required = {};
    bool gui = false;  // draws text (printing): runs with a GUI application, offscreen
};

// The command groups, one source file each.
QList<Command> databaseCommands();
QList<Command> scoringCommands();
QList<Command> exportCommands();
QList<Command> rankingCommands();
QList<Command> printCommands();
QList<Command> verifyCommands();

// A refusal: the message goes to stderr and the command exits 1, having
// changed nothing.
struct Refusal {
    QString message;
};

// Everything a command prints goes through terminalText: a text read from
// the file or typed by someone (a name, a species, a club) prints on one
// line and cannot steer the terminal. A control character (C0, DEL, C1, the
// Unicode line and paragraph separators and the bidirectional overrides)
// becomes a visible escape: "\t", "\n", "\r", else "\x1b" or "\u2028". The
// escape is for reading, not for turning back into the text (a backslash
// stays as it is): it shows the organiser what the name really holds, where
// a blank would hide it.
QString terminalText(const QString& text);

void out(const QString& line);         // one line on stdout
void out(const QStringList& fields);   // one record on stdout: its fields between tabs
void err(const QString& line);         // one line on stderr

// A whole number in plain decimal within [lo, hi], or a refusal naming what it is.
qint64 wholeNumber(const QString& text, const char* what, qint64 lo, qint64 hi);

constexpr qint64 kSmallMin = -32768, kSmallMax = 32767;
constexpr qint64 kIntMin = -2147483648LL, kIntMax = 2147483647LL;

// A 16-bit day or team number typed on the command line.
int smallNumber(const QString& text, const char* what);

// The folder an export writes into, with its final separator: --carpeta
// when given (an existing folder, or a refusal), else the current directory.
QString targetFolder(const Args& a);

// Opens an existing database file, or refuses: a file that is no database of
// competitions, or one that failed anywhere while it opened. Unless
// checkTables is false, every table but the catch lines then gets SQLite's
// quick check, and a file damaged there is refused before the command reads
// or writes anything (the catch lines, by far the largest table, are met
// where they are read; a whole check of them would add a quarter to a
// save's time). The returned data module is also the program's `dm` until
// it goes.
struct OpenFile {
    std::unique_ptr<Tdm> tdm;
    OpenFile() = default;
    OpenFile(OpenFile&&) noexcept;
    OpenFile& operator=(OpenFile&&) noexcept;
    ~OpenFile();
    Tdm& operator*() const { return *tdm; }
    Tdm* operator->() const { return tdm.get(); }
};
OpenFile openFile(const QString& file, bool checkTables = true);

// Opens the file and makes the competition and day current, as the
// chooser's OK does; refuses an unknown competition or day, and (unless
// allowEmpty) a competition without participants.
OpenFile openDay(const QString& file, const QString& codigo, int jornada, bool allowEmpty = false);

}  // namespace cli
