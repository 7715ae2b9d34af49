#pragma once

#include <QString>

class Tdm;

// Copies into the current competition what it lacks from the competition
// `origen`; nothing that exists is overwritten and nothing is deleted. The
// record rules run for every record added. Refusals and failures are
// reported through the dialogs.

// Participants, each in a transaction of its own; one whose team and DNI
// exist already is reported and skipped. Returns how many were added.
int copiarParticipantes(Tdm& dm, const QString& origen);
// Species rules without their species bonus; stops at a failing record.
int copiarEspeciales(Tdm& dm, const QString& origen);
// Quotas; stops at a failing record.
int copiarCupos(Tdm& dm, const QString& origen);
