// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Grows the Access character table for the open-table figures: no fixture
// holds more than 12 rows, and nothing on this machine writes Jet 4 files.
namespace BenchMdb {

// Appends `count` rows numbered from `first` (texts as the sample folder's:
// "g013", "s013", "f013", "significato 13", a syllable, a tone, "nota 13")
// to "Tabella" of a copy of DBGrafemi1.mdb, on new data pages marked in the
// table's usage map. Throws std::runtime_error when the map has no room.
void appendSampleRows(QByteArray& file, int first, int count);

} // namespace BenchMdb
