#pragma once

#include <QString>

struct sqlite3;

namespace engine {

// Text folded for matching: lower case, accents and the tilde of ñ removed,
// so "ñu" matches "NUÑEZ" and "Núñez".
QString foldForMatch(const QString& s);

// Spanish order of two texts: letters compare without accents ("ángel" sorts
// with "Ángel", before "Beatriz"), ñ sorts after n and before o. With
// caseInsensitive the texts that differ only in case or accents are equal;
// otherwise those ties are broken (accents, then lower case first).
int compareText(const QString& a, const QString& b, bool caseInsensitive);

// The order of the collations below (TARSELA_CASE, TARSELA_NOCASE) for two
// texts read from the file: what SQLite's ORDER BY ... COLLATE gives them.
int collateTexts(QStringView a, QStringView b, bool caseInsensitive);

// LIKE with % and _ over folded texts.
bool likeMatch(const QString& text, const QString& pattern, QChar escape = QChar());

// Names of the collations registered on every connection (never stored in the file).
inline constexpr const char* kCollationNoCase = "TARSELA_NOCASE";
inline constexpr const char* kCollationCase = "TARSELA_CASE";

// Registers the collations and the Spanish-aware like() on a connection.
void registerTextFunctions(sqlite3* db);

}  // namespace engine
