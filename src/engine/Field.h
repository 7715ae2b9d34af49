#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include <vector>

namespace engine {

enum class FieldType { String, Smallint, Integer, Largeint, AutoInc, Date, Boolean, Float };

bool isIntegerType(FieldType t);
// The values an integer field of type t can hold (the 64-bit range for other types).
void integerRange(FieldType t, qint64& lo, qint64& hi);
QString fieldTypeName(FieldType t);

// The characters of a text as a person counts them, and as SQLite's length()
// and a String field's size do: code points, so that a fish emoji (two
// UTF-16 units in a QString) is one.
qsizetype characterCount(QStringView text);
// The first n characters of a text; a surrogate pair is never split.
QString leftCharacters(const QString& text, qsizetype n);

// Presentation of a field for the controls bound to it.
struct FieldMeta {
    QString displayFormat;  // pattern for numbers: "#,##0", ",##0" ...
    QString displayLabel;   // column title; the field name when empty
    QString trueText;       // boolean shown as trueText / falseText when set
    QString falseText;
    int displayWidth = 0;   // in characters, 0 = automatic
    int alignment = 0;      // Qt::Alignment bits, 0 = by type
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;           // characters of a String field (0 = no limit)
    bool required = false;
    bool calculated = false;
};

class Dataset;

// A column of a dataset, read and written on its current record.
class Field {
public:
    Field(Dataset* owner, int index) : ds_(owner), index_(index) {}

    const FieldDef& def() const;
    const QString& name() const { return def().name; }
    FieldType type() const { return def().type; }
    int size() const { return def().size; }
    bool required() const { return def().required; }
    bool isCalculated() const { return def().calculated; }
    int index() const { return index_; }
    FieldMeta& meta() const;
    QString displayLabel() const;

    QVariant value() const;
    bool isNull() const;
    QString asString() const;   // edit text: numbers in plain decimal, dates dd/MM/yyyy
    int asInteger() const;      // empty reads as 0
    qint64 asLargeInt() const;
    double asFloat() const;
    QDate asDate() const;
    bool asBoolean() const;
    QString displayText() const;  // with the display format

    void setValue(const QVariant& v);
    void setAsString(const QString& s);  // parses by type; empty sets null
    void setAsInteger(qint64 v);
    void setAsLargeInt(qint64 v) { setAsInteger(v); }
    void setAsFloat(double v);
    void setAsDate(const QDate& d);
    void setAsBoolean(bool b);
    void clear();

    // Converts a value to this field's stored form, refusing what does not fit.
    QVariant convert(const QVariant& v) const;
    // Display text of a stored value of this field.
    QString displayTextOf(const QVariant& v) const;

private:
    Dataset* ds_;
    int index_;
};

using Row = std::vector<QVariant>;

}  // namespace engine
