#pragma once

#include <QString>
#include <stdexcept>

namespace engine {

// Any failure of the database layer. what() is a Spanish sentence a user can
// read; sqliteText() keeps SQLite's own words when SQLite raised it.
class DatabaseError : public std::runtime_error {
public:
    enum class Kind {
        General,
        FileMissing,      // the database file is not there or is not a database
        TableMissing,     // a table is not in the file
        FieldMissing,     // no field of that name
        RequiredMissing,  // a required field is empty
        TooLong,          // a text longer than its field
        OutOfRange,       // an integer outside its type's range
        BadValue,         // text that is not a number, date or boolean
        DuplicateKey,     // a unique index refused the row
        State,            // the dataset is not in a state that allows the call
        RowChanged,       // the row read is no longer in the file as it was read
        NotInteger,       // text that is not a whole number, typed where one is asked
    };

    DatabaseError(const QString& message, Kind kind = Kind::General,
                  const QString& field = {}, const QString& sqliteText = {})
        : std::runtime_error(message.toStdString()), message_(message), kind_(kind),
          field_(field), sqlite_(sqliteText) {}

    const QString& message() const { return message_; }
    Kind kind() const { return kind_; }
    const QString& field() const { return field_; }
    const QString& sqliteText() const { return sqlite_; }

private:
    QString message_;
    Kind kind_;
    QString field_;
    QString sqlite_;
};

// Thrown by a before-delete (or before-post) hook to abandon the operation
// without a message; callers swallow it.
class Abort {};

}  // namespace engine
