#pragma once

#include <QString>

class Tdm;

namespace engine {
class Database;
class Table;
}  // namespace engine

// Installs the record rules on the data module's table objects.
void installRecordRules(Tdm& dm);

// The rules of the species register, for any table object over ESPECIES
// (the register screen has its own): a species needs a name, and one that
// catch lines, species rules or quotas still use cannot be deleted, since
// its catches would then print and export without their species.
void installSpeciesRules(engine::Table& species);

// The refusal for deleting species `code`: how many catch lines and
// competitions use it; empty when nothing does.
QString especieEnUso(engine::Database& db, qint64 code, const QString& name);

// The refusal for entering participant `dni` in team `team` of competition
// `code`: the same person in another team of it, or a second person in a
// team of an individual competition; empty when there is none. While an
// entered participant is being changed, `storedTeam` and `storedDni` name
// its row in the file (so it does not refuse itself); else storedDni is empty.
QString rechazoParticipante(engine::Database& db, const QString& code, int team, const QString& dni, int storedTeam,
                            const QString& storedDni, QString* field);
