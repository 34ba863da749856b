// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/TableData.h"

#include <QString>

#include <memory>

// Reads the table named `table` from the database file at `filePath`
// (already resolved to a real file on disk), with the seven fields of
// TableData. Throws PlatformError with an Italian description that names the
// cause; the caller adds the file name. Only reads: the file is never
// written, locked for writing or created.
class TableLoader {
public:
    virtual ~TableLoader() = default;
    virtual TableData load(const QString& filePath, const QString& password,
                           const QString& table) const = 0;
};

// The reader for Access (Jet 4) files.
std::unique_ptr<TableLoader> makeMdbLoader();
