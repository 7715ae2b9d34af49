#include "data/Helpers.h"

QString quotedCode(const QString& code)
{
    QString s = code;
    s.replace('\'', "''");
    return '\'' + s + '\'';
}
