#include "data/Helpers.h"

QString quotedCode(const QString& code)
{
    QString s = code;
    s.replace('\'', "''");
    return '\'' + s + '\'';
}

QString extraeCampo(const QString& texto, const QString& separador, int n)
{
    QString resto = texto;
    for (int i = 1; i < n; ++i) {
        const qsizetype p = resto.indexOf(separador);
        if (p >= 0)
            resto.remove(0, p + separador.size());
    }
    const qsizetype p = resto.indexOf(separador);
    return p >= 0 ? resto.left(p) : resto;
}
