#include "support/Fixture.h"

#include "data/Schema.h"

#include <QFile>

#include <sqlite3.h>

#include <stdexcept>

TempDatabase::TempDatabase()
{
    dirPath_ = dir_.path();
    path_ = dirPath_ + "/marfondo.abs";
    schema::createDatabase(path_);
}

void execOn(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    const std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(msg);
}

QStringList rowsOf(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    QStringList out;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cols;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                cols << (sqlite3_column_type(st, i) == SQLITE_NULL
                             ? QString("NULL")
                             : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
            out << cols.join('|');
        }
    } else {
        out << QString("error: %1").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void TempDatabase::exec(const QString& sql) const { execOn(path_, sql); }

qint64 TempDatabase::scalar(const QString& sql) const
{
    sqlite3* db = nullptr;
    sqlite3_open(path_.toUtf8().constData(), &db);
    sqlite3_stmt* st = nullptr;
    qint64 v = -1;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return v;
}

ScriptedDialogs::ScriptedDialogs() : previous_(&userDialogs()) { setUserDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { setUserDialogs(previous_); }

int ScriptedDialogs::msgDlgPos(const QString& text, int, unsigned buttons, int, int, int)
{
    messages << text;
    this->buttons << buttons;
    if (!answers.empty()) {
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    if (buttons & mbYes) return mrYes;
    if (buttons & mbOK) return mrOk;
    return mrCancel;
}

void ScriptedDialogs::showMessage(const QString& text) { notices << text; }
void ScriptedDialogs::showError(const QString& text) { errors << text; }

bool ScriptedDialogs::confirm(const QString& text)
{
    notices << text;
    if (confirmations.empty()) return true;
    const bool a = confirmations.front();
    confirmations.pop_front();
    return a;
}

bool ScriptedDialogs::inputQuery(const QString& caption, const QString& prompt, QString& value)
{
    inputs.append({caption, prompt, value});
    if (inputAnswers.empty()) return false;
    const std::optional<QString> a = inputAnswers.front();
    inputAnswers.pop_front();
    if (!a) return false;
    value = *a;
    return true;
}

std::unique_ptr<PrintDevice> ScriptedDialogs::printRequest()
{
    ++printRequests;
    return printer ? printer() : nullptr;
}
