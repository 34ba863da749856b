// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The seven fields the program reads, in a fixed order so that a row is a
// small array instead of a map. Their names are those of the table's columns.
enum class Field {
    NomeFileGrafema,
    Suoni,
    Filmati,
    Significato,
    Sillaba,
    Tono,
    Note,
};
inline constexpr int FieldCount = 7;

// Column names exactly as stored in the table.
const std::array<QString, FieldCount>& fieldNames();

// A value read from the table: every value is text; a missing value (NULL)
// stays distinct from the empty text.
using FieldValue = std::optional<QString>;
using Row = std::array<FieldValue, FieldCount>;

// The whole table as the engine delivers it, loaded once when the data
// control opens it. Record number n is rows[n].
struct TableData {
    std::vector<Row> rows;
};

// The largest row count the run state can hold (a 16-bit signed count).
inline constexpr int MaxRecordCount = 32767;
