#pragma once

#include <QObject>
#include <QRegularExpression>
#include <QString>

class QLineEdit;
class QWidget;

namespace widgets {

// Shows a short hint next to a field (one per window, a tooltip-coloured
// label named "FieldHint") and beeps; hideFieldHint takes it away again.
void showFieldHint(QWidget* field, const QString& text);
void hideFieldHint(QWidget* field);

// What a line edit may hold, checked key by key so that nothing typed is
// dropped without a sign:
// - a keystroke the field cannot take is refused with a beep and a hint next
//   to the field ("Solo números enteros"); after it the field takes no more
//   characters until the user corrects (deletes, moves the cursor, selects
//   or presses Escape), and the text it stopped at is not written to the
//   field, so "1,5" can never turn into 15 or 1;
// - a text field at its size limit stops taking characters with a hint, and
//   a paste that would not fit is refused whole;
// - a pasted number is let in whole and judged when the field is left.
// The owner asks acceptable() before writing the text to its field.
class EntryFilter : public QObject {
    Q_OBJECT
public:
    explicit EntryFilter(QLineEdit* edit);

    // Plain text of at most maxChars characters (0: no limit).
    void setText(int maxChars);
    // Whole numbers from lo to hi.
    void setInteger(qint64 lo, qint64 hi);
    // Characters matching pattern (the whole text, while typing), else hint.
    void setPattern(const QRegularExpression& pattern, const QString& hint);

    // The text may be written to the field: no keystroke refused since the
    // user last corrected, and a whole number in range where one is asked.
    bool acceptable() const;
    // Why not, in the words of the hint ("" when acceptable).
    QString problem() const;
    // A whole number is asked and the text, or a keystroke refused, is not
    // one ("1,5"); or it is one outside the range.
    bool notInteger() const;
    bool outOfRange() const;
    // Beeps and shows the hint for the text as it stands.
    void refuse();
    // Forgets a refused keystroke and hides the hint (the field shows its
    // stored value again).
    void reset();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    enum class Kind { Text, Integer, Pattern };
    bool takes(const QString& candidate, QString* hint) const;
    QString integerHint(const QString& text) const;
    void refuseWith(const QString& hint);
    bool interrupted() const;

    QLineEdit* edit_;
    Kind kind_ = Kind::Text;
    int maxChars_ = 0;
    qint64 lo_ = 0, hi_ = 0;
    QRegularExpression pattern_;
    QString patternHint_;
    bool interrupted_ = false;
    QString lastHint_;
};

// Text limits count characters as a person does (code points: a fish emoji
// is one), as a String field's size and SQLite's length() do. QLineEdit's
// own maxLength counts UTF-16 units, of which such a character takes two, so
// it is set to unitsFor(n): a last stop behind the filter, which counts
// characters.
constexpr int unitsFor(int characters) { return characters > 16383 ? 32767 : 2 * characters; }

// A plain line edit for a text of at most maxChars characters: the filter's
// limit with its hint, and the edit's own limit behind it.
EntryFilter* limitText(QLineEdit* edit, int maxChars);

// The hint of an integer field.
inline QString integerOnlyText() { return QStringLiteral("Solo números enteros"); }

}  // namespace widgets
