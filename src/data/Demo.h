#pragma once

#include <QString>

// Creates the file when missing and fills a demonstration: species and
// fishermen registers, a team competition of two days and an individual one
// of one day, with participants, species rules, quotas and day 1's catches.
// Fails when the file already holds competitions.
void createDemo(const QString& path);
