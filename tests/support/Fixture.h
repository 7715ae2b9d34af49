#pragma once

#include "data/Dialogs.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

// Straight on a file, without the engine (as the stock tool would): runs SQL
// (throws std::runtime_error with SQLite's words when it fails), reads a
// query's rows as text ("a|b|NULL"), reads the whole file.
void execOn(const QString& path, const QString& sql);
QStringList rowsOf(const QString& path, const QString& sql);
QByteArray bytesOf(const QString& path);

// A fresh database made with the schema code in a temporary folder.
class TempDatabase {
public:
    TempDatabase();
    const QString& path() const { return path_; }
    const QString& dir() const { return dirPath_; }
    // Runs SQL straight on the file, without the engine (as the stock tool would).
    void exec(const QString& sql) const;
    qint64 scalar(const QString& sql) const;

private:
    QTemporaryDir dir_;
    QString dirPath_;
    QString path_;
};

// Answers the questions of the core as a test says, and records every text.
class ScriptedDialogs : public UserDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    std::deque<int> answers;       // results for msgDlgPos, in order; default: the first button's
    std::deque<bool> confirmations;
    QStringList messages;          // msgDlgPos texts
    QList<unsigned> buttons;       // msgDlgPos button sets, in the same order
    QStringList errors;            // showError texts
    QStringList notices;           // showMessage texts
    int printRequests = 0;         // times the print dialog was asked for
    // The print dialog's answer: nothing (Cancel) unless a test gives a device.
    std::function<std::unique_ptr<PrintDevice>()> printer;
    // Answers for inputQuery, in order: a text accepts it, nullopt (or none
    // left) cancels it. Each question is recorded as caption, prompt and the
    // initial text it offered.
    std::deque<std::optional<QString>> inputAnswers;
    struct Input {
        QString caption, prompt, initial;
    };
    QList<Input> inputs;

    int msgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y) override;
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text) override;
    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override;
    std::unique_ptr<PrintDevice> printRequest() override;

private:
    UserDialogs* previous_;
};
