#pragma once

#include "engine/Database.h"
#include "engine/Dataset.h"

#include <QStringList>

namespace engine {

// Read-only SQL query given as lines; re-run by refresh() or close()/open().
// String literals may be written in single or double quotes; names with
// blanks in square brackets.
class Query : public Dataset {
    Q_OBJECT
public:
    explicit Query(Database& db, QObject* parent = nullptr) : Dataset(parent), db_(db) {}

    QStringList& sql() { return sql_; }
    const QStringList& sql() const { return sql_; }
    void setSql(const QStringList& lines) { sql_ = lines; }
    QString text() const { return sql_.join('\n'); }

    bool readOnly() const override { return true; }
    void refresh() override;

    // The text as SQLite runs it: double-quoted literals become single-quoted.
    static QString translate(const QString& text);

protected:
    void doOpen() override;
    void reread() override;
    bool stale() const override;
    Database* databaseOf() const override { return &db_; }

private:
    void run(bool defineFields);
    Database& db_;
    QStringList sql_;
    QString ran_;              // the text last run
    quint64 seenGeneration_ = 0;
};

}  // namespace engine
