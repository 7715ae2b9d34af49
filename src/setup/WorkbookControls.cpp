#include "setup/WorkbookControls.h"

#include "widgets/DataEdit.h"

#include <QLabel>
#include <QPushButton>

#include <limits>

using widgets::DataEdit;

namespace workbook {

QPushButton* button(const QString& text, const char* name, QWidget* parent, const QString& hint)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter in a field never presses a button of the workbook by accident.
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

DataEdit* edit(engine::DataSource* source, const QString& field, const char* name, QWidget* parent, int chars)
{
    auto* e = new DataEdit(source, field, parent);
    // Weights, points and counts are never negative: whole numbers from 0 to
    // the field's top (text fields ignore the range).
    e->setIntegerRange(0, std::numeric_limits<qint64>::max());
    e->setObjectName(QString::fromLatin1(name));
    if (chars > 0)
        e->setFixedWidth(e->fontMetrics().averageCharWidth() * chars + 16);
    return e;
}

QLabel* label(const QString& text, QWidget* parent, QWidget* buddy)
{
    auto* l = new QLabel(text, parent);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

}  // namespace workbook
