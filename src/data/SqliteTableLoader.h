// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/TableLoader.h"

// The character table kept in a SQLite file: the table's rows in rowid
// order, every value as text, NULL kept apart from empty text. The file is
// opened read-only.
class SqliteTableLoader : public TableLoader {
public:
    TableData load(const QString& filePath, const QString& password,
                   const QString& table) const override;
};
