#include "engine/Query.h"

namespace engine {

QString Query::translate(const QString& in)
{
    QString out;
    out.reserve(in.size() + 8);
    const int n = in.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = in.at(i);
        if (c == '\'') {
            // Copy a single-quoted literal as it stands.
            out.append(c);
            for (++i; i < n; ++i) {
                out.append(in.at(i));
                if (in.at(i) == '\'') {
                    if (i + 1 < n && in.at(i + 1) == '\'') {
                        out.append(in.at(++i));
                        continue;
                    }
                    break;
                }
            }
        } else if (c == '[') {
            for (; i < n; ++i) {
                out.append(in.at(i));
                if (in.at(i) == ']') break;
            }
        } else if (c == '"') {
            // A double-quoted literal: the same text between single quotes.
            QString lit;
            for (++i; i < n; ++i) {
                if (in.at(i) == '"') {
                    if (i + 1 < n && in.at(i + 1) == '"') {
                        lit.append('"');
                        ++i;
                        continue;
                    }
                    break;
                }
                lit.append(in.at(i));
            }
            lit.replace('\'', "''");
            out.append('\'' + lit + '\'');
        } else {
            out.append(c);
        }
    }
    return out;
}

void Query::doOpen() { run(true); }

void Query::reread() { run(false); }

void Query::refresh()
{
    ensureActive();
    rereadAt({}, cur_);
}

bool Query::stale() const { return text() != ran_ || db_.generation() != seenGeneration_; }

void Query::run(bool defineFields)
{
    if (!db_.isOpen())
        throw DatabaseError(QStringLiteral("La base de datos no está abierta"), DatabaseError::Kind::FileMissing);
    const QString ran = text();
    const quint64 generation = db_.generation();
    CachedStatement lease = db_.prepare(translate(ran));
    Statement& st = *lease;
    const int nc = st.columnCount();
    std::vector<FieldDef> defs(static_cast<size_t>(nc));
    std::vector<bool> typed(static_cast<size_t>(nc), false);
    for (int i = 0; i < nc; ++i) {
        const QString decl = st.columnDeclType(i);
        defs[size_t(i)] = fieldDefFromDecl(st.columnName(i), decl);
        typed[size_t(i)] = !decl.isEmpty();
    }
    std::vector<Row> raw;
    while (st.step()) {
        Row r(static_cast<size_t>(nc));
        for (int i = 0; i < nc; ++i)
            r[size_t(i)] = st.column(i);
        raw.push_back(std::move(r));
    }
    // Expressions (sum(...), literals) take the type of their first value.
    for (int i = 0; i < nc; ++i) {
        if (typed[size_t(i)])
            continue;
        FieldDef& d = defs[size_t(i)];
        d.size = 0;
        for (const Row& r : raw) {
            const QVariant& v = r[size_t(i)];
            if (v.isNull()) continue;
            d.type = v.typeId() == QMetaType::LongLong ? FieldType::Largeint
                   : v.typeId() == QMetaType::Double   ? FieldType::Float
                                                       : FieldType::String;
            break;
        }
    }
    // Fields stay the same objects across re-runs of the same columns.
    if (defineFields || int(defs.size() + calcDefs_.size()) != fieldCount())
        setDefs(std::move(defs));
    std::vector<Row> rows;
    rows.reserve(raw.size());
    for (Row& r : raw) {
        Row out(defs_.size());
        for (int i = 0; i < nc; ++i)
            out[size_t(i)] = fromStorage(defs_[size_t(i)].type, r[size_t(i)]);
        rows.push_back(std::move(out));
    }
    takeRows(std::move(rows));
    ran_ = ran;
    seenGeneration_ = generation;
}

}  // namespace engine
