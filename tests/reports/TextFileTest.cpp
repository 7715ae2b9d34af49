#include "reports/TextFile.h"

#include "support/Fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

QByteArray readAll(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

struct TextCase {
    const char* in;
    const char* out;
};

TEST(TextFile, HtmlEscapesTheFourMarkupCharacters)
{
    const TextCase cases[] = {
        {"Pesca", "Pesca"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"Tom & \"Jerry\"", "Tom &amp; &quot;Jerry&quot;"},
        {"&amp;", "&amp;amp;"},
        {"D'Ñandú", "D'Ñandú"},
        {"", ""},
    };
    for (const TextCase& c : cases) EXPECT_EQ(reports::htmlEscape(u(c.in)), u(c.out)) << c.in;
}

TEST(TextFile, CsvQuotesOnlyFieldsThatNeedIt)
{
    const TextCase cases[] = {
        {"Dentón", "Dentón"},
        {"", ""},
        {"a;b", "\"a;b\""},
        {"el \"Rubio\"", "\"el \"\"Rubio\"\"\""},
        {"\"", "\"\"\"\""},
        {"dos\nlíneas", "\"dos\nlíneas\""},
        {"cr\rsolo", "\"cr\rsolo\""},
        {"coma, y 'simple'", "coma, y 'simple'"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(reports::csvField(u(c.in)), u(c.out)) << c.in;
    EXPECT_EQ(reports::csvLine({"7", "Mero; grande", "2", "1250"}), u("7;\"Mero; grande\";2;1250"));
    EXPECT_EQ(reports::csvLine({"", ""}), u(";"));
}

// No control character reaches a page: none is needed in its text, and a
// browser shows some of them as boxes or takes them as line breaks.
TEST(TextFile, HtmlEscapeDropsControlCharacters)
{
    const struct {
        QString in, out;
    } cases[] = {
        {u("Ana\x1b[31mRoja"), u("Ana[31mRoja")},
        {u("dos\nlíneas\r\ny\ttab"), u("doslíneasytab")},
        {u("campana\a") + QChar(0) + u("nulo"), u("campananulo")},
        {u("del\x7f") + QChar(0x85) + QChar(0x9B) + u("c1"), u("delc1")},
        {u("<\x1b>"), u("&lt;&gt;")},
        {QChar(0xA0) + u("Ñandú 🐟"), QChar(0xA0) + u("Ñandú 🐟")},  // from U+00A0 up, text stays
    };
    for (const auto& c : cases) EXPECT_EQ(reports::htmlEscape(c.in), c.out) << c.in.toStdString();
}

// A text a spreadsheet would run as a formula gets an apostrophe in front;
// anything else, numbers above all, stays as it is.
TEST(TextFile, CsvTextKeepsFormulasAsText)
{
    const TextCase cases[] = {
        {"=1+1", "'=1+1"},
        {"+34 600 000 000", "'+34 600 000 000"},
        {"-Sargo", "'-Sargo"},
        {"@SUMA(A1)", "'@SUMA(A1)"},
        {"\tTab", "'\tTab"},
        {"\rCR", "'\rCR"},
        {"Sargo=1", "Sargo=1"},
        {"'ya", "'ya"},
        {" =1", " =1"},
        {"", ""},
    };
    for (const TextCase& c : cases) EXPECT_EQ(reports::csvText(u(c.in)), u(c.out)) << c.in;
    // Through the quoting like any field.
    EXPECT_EQ(reports::csvLine({"-5", reports::csvText("=A1;B1"), reports::csvText("\rx")}), u("-5;\"'=A1;B1\";\"'\rx\""));
}

TEST(TextFile, EveryLineEndsWithCrLf)
{
    EXPECT_EQ(reports::joinLines({"a", "", "b"}), u("a\r\n\r\nb\r\n"));
    EXPECT_EQ(reports::joinLines({}), QString());
}

TEST(TextFile, Windows1252WithReferencesForTheRest)
{
    // Ñ á € and the curly quote are in the code page; Omega, a fish emoji
    // (outside the 16-bit plane) and a lone surrogate are not.
    QString text = u("Ñá€“Ω🐟");
    text += QChar(0xD800);
    EXPECT_FALSE(reports::fitsWindows1252(text));
    EXPECT_EQ(reports::windows1252Html(text), QByteArray("\xD1\xE1\x80\x93&#937;&#128031;&#65533;"));
    EXPECT_EQ(reports::windows1252Html(u("<a>")), QByteArray("<a>"));
}

TEST(TextFile, Windows1252AgreesWithTheSystemTables)
{
    // Every character of the code page encodes to its own byte, as the
    // system's converter reads it back.
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid()) GTEST_SKIP() << "no Windows-1252 converter in this Qt";
    for (int b = 1; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        const QString ch = decoder.decode(byte);
        ASSERT_EQ(ch.size(), 1) << b;
        if (ch[0] == QChar::ReplacementCharacter) continue;  // 81 8D 8F 90 9D when the converter leaves them out
        EXPECT_TRUE(reports::fitsWindows1252(ch)) << b;
        EXPECT_EQ(reports::windows1252OrUtf8(ch), byte) << b;
    }
}

TEST(TextFile, CsvBytesFallBackToUtf8WithMark)
{
    EXPECT_EQ(reports::windows1252OrUtf8(u("Año;€\r\n")), QByteArray("A\xF1o;\x80\r\n"));
    EXPECT_EQ(reports::windows1252OrUtf8(u("Ωmega")), QByteArray("\xEF\xBB\xBF\xCE\xA9mega"));
    EXPECT_EQ(reports::utf8WithBom(u("Ñ")), QByteArray("\xEF\xBB\xBF\xC3\x91"));
    EXPECT_EQ(reports::utf8WithBom(QString()), QByteArray("\xEF\xBB\xBF"));
}

TEST(TextFile, SafeFileNameReplacesWhatNoFileSystemTakes)
{
    const TextCase cases[] = {
        {"Open de Cabo Palos", "Open de Cabo Palos"},
        {"1/2 final", "1-2 final"},
        {"a\\b:c*d?e\"f<g>h|i", "a-b-c-d-e-f-g-h-i"},
        {"tab\there\nnl", "tab-here-nl"},
        {"Ñoño 2024.", "Ñoño 2024."},
    };
    for (const TextCase& c : cases) EXPECT_EQ(reports::safeFileName(u(c.in)), u(c.out)) << c.in;
}

TEST(TextFile, FolderGetsItsSeparatorOnlyWhenItIsAnExistingFolder)
{
    QTemporaryDir tmp;
    const QString dir = QDir::toNativeSeparators(tmp.path());
    const QString sep = QDir::separator();
    EXPECT_EQ(reports::folderOf(dir), dir + sep);
    EXPECT_EQ(reports::folderOf(dir + sep), dir + sep);
    EXPECT_EQ(reports::folderOf(dir + sep + "informe"), dir + sep + "informe");  // no such folder: a name prefix
    EXPECT_EQ(reports::folderOf(QString()), QString());
    EXPECT_EQ(reports::fullName("x.htm"), QDir::toNativeSeparators(QDir::current().absoluteFilePath("x.htm")));
    QFile plain(tmp.filePath("fichero"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(reports::folderOf(tmp.filePath("fichero")), tmp.filePath("fichero"));
}

TEST(TextFile, TheFolderQuestionUsesThisSystemsSeparator)
{
    EXPECT_EQ(reports::folderPrompt(), u("Indique dónde guardar el archivo (termine con ") + QDir::separator() + ")");
    EXPECT_TRUE(reports::defaultFolder().endsWith(QDir::separator()));

    QTemporaryDir tmp;
    ScriptedDialogs dialogs;
    dialogs.inputAnswers = {tmp.path(), std::nullopt};
    QString folder = reports::defaultFolder();
    ASSERT_TRUE(reports::askFolder("Guardar clasific.htm", folder));
    EXPECT_EQ(folder, tmp.path() + QDir::separator());
    QString untouched = "x";
    EXPECT_FALSE(reports::askFolder("Guardar Pesca ", untouched));
    EXPECT_EQ(untouched, "x");
    ASSERT_EQ(dialogs.inputs.size(), 2);
    EXPECT_EQ(dialogs.inputs[0].caption, "Guardar clasific.htm");
    EXPECT_EQ(dialogs.inputs[0].prompt, reports::folderPrompt());
    EXPECT_EQ(dialogs.inputs[0].initial, reports::defaultFolder());
}

TEST(TextFile, WritesWholeAndReplaces)
{
    QTemporaryDir tmp;
    const QString name = tmp.filePath("clasific.htm");
    QString error;
    ASSERT_TRUE(reports::writeWhole(name, "uno\r\n", &error)) << error.toStdString();
    EXPECT_EQ(readAll(name), "uno\r\n");
    ASSERT_TRUE(reports::writeWhole(name, "dos\r\n", &error));
    EXPECT_EQ(readAll(name), "dos\r\n");
    EXPECT_EQ(entries(tmp.path()), QStringList{"clasific.htm"});  // nothing left beside it

    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(name).constData(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);  // the usual rights, not a temporary file's
}

TEST(TextFile, AFailedWriteSaysWhyAndLeavesNothing)
{
    QTemporaryDir tmp;
    const QString sep = QDir::separator();
    struct Case {
        QString name;
        const char* reason;
    } cases[] = {
        {tmp.path() + sep + "no-existe" + sep + "clasific.htm", "no existe la carpeta"},
        {tmp.path() + sep + QString(300, 'x') + ".csv", "el nombre del archivo es demasiado largo"},
        {tmp.path(), "ya hay una carpeta con ese nombre"},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(reports::writeWhole(c.name, "datos", &error));
        EXPECT_EQ(error, u("No se pudo escribir el archivo ") + c.name + ": " + u(c.reason) + ".");
        EXPECT_TRUE(entries(tmp.path()).isEmpty()) << entries(tmp.path()).join(',').toStdString();
    }
}

TEST(TextFile, WriteIfAbsentNeverReplaces)
{
    QTemporaryDir tmp;
    const QString name = tmp.filePath("tablasPesca.css");
    bool created = false;
    QString error;
    ASSERT_TRUE(reports::writeIfAbsent(name, "nuevo", &created, &error)) << error.toStdString();
    EXPECT_TRUE(created);
    EXPECT_EQ(readAll(name), "nuevo");
    ASSERT_TRUE(reports::writeIfAbsent(name, "otro", &created, &error));
    EXPECT_FALSE(created);
    EXPECT_EQ(readAll(name), "nuevo");
    EXPECT_EQ(entries(tmp.path()), QStringList{"tablasPesca.css"});
    EXPECT_FALSE(reports::writeIfAbsent(tmp.filePath("no/x.css"), "x", &created, &error));
    EXPECT_FALSE(created);
    EXPECT_TRUE(error.endsWith(u(": no existe la carpeta.")));
}

}  // namespace
