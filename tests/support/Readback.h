#pragma once

// Reads an exported file back with independent parsers (Python's html.parser
// and csv with ";"), the way a browser or a spreadsheet would: a UTF-8 mark
// means UTF-8, no mark Windows-1252. A failure to run them fails the test.

#include <QList>
#include <QString>
#include <QStringList>

namespace readback {

struct Cell {
    QString row;   // class of the enclosing <tr>
    QString tag;   // td or th
    QString cls;   // the cell's own class
    QString text;  // its text, entities decoded, <br> as "\n"
};

struct Html {
    QString encoding;
    QStringList tags;  // every start tag, in order
    QList<Cell> cells; // every cell as it closes (inner cells before the one that holds them)
};
Html readHtml(const QString& file);

struct Csv {
    QString encoding;
    QList<QStringList> rows;
};
Csv readCsv(const QString& file);

}  // namespace readback
