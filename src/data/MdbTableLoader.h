// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/TableData.h"
#include "data/TableLoader.h"

#include <QString>
#include <QStringList>

#include <vector>

// Reads a table of an Access 2000 (Jet 4) database file through libmdb, after
// checking the file's header and database password ourselves (libmdb checks
// neither). Rows come in the order the engine delivers a whole table:
// primary-key order when the table has a primary key, otherwise the order in
// which the file stores them. The file is only read.
class MdbTableLoader : public TableLoader {
public:
    // The seven fields of the character table. Refuses more than
    // MaxRecordCount rows; an empty table gives no rows.
    TableData load(const QString& filePath, const QString& password,
                   const QString& table) const override;

    // The named columns of every row of `table`, each value as text (NULL
    // stays std::nullopt), in the order of `columns`. Table and column names
    // match without regard to letter case, as the engine's do. Throws
    // PlatformError: FileNotFound, CannotOpenDatabase, NotADatabase (not a
    // Jet 4 file, truncated or damaged), WrongPassword, TableNotFound,
    // ItemNotFound (missing column), TypeMismatch (a column that holds no
    // text, such as an OLE object), Overflow (more than MaxRecordCount rows).
    static std::vector<std::vector<FieldValue>> readTable(const QString& filePath,
                                                          const QString& password,
                                                          const QString& table,
                                                          const QStringList& columns);
};
