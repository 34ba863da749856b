// SPDX-License-Identifier: GPL-3.0-or-later
// The whole Access load path on damaged files: header and password check,
// catalog, table definition, usage map, rows and memo chains through libmdb.
// Every input must end in rows or a PlatformError, never a crash or a hang.
#include "FuzzFile.h"
#include "data/MdbTableLoader.h"
#include "platform/PlatformError.h"

#include <QCoreApplication>
#include <QFile>

namespace {

struct TableSpec {
    const char* table;
    QStringList columns;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString& path = fuzzFilePath(".mdb");
    writeFuzzFile(path, data, size);

    // The program's table first; the seeds from other programs hold theirs.
    static const std::vector<TableSpec> specs = {
        {"Tabella", {}},
        {"Table1", {"ID", "Data"}},
        {"Table", {"ID", "Unicode"}},
        {"Table", {"a", "b"}},
    };
    for (const char* password : {"582317", "password"}) {
        for (const TableSpec& wanted : specs) {
            try {
                if (wanted.columns.isEmpty()) {
                    const TableData rows = MdbTableLoader().load(
                        path, QString::fromLatin1(password), QString::fromLatin1(wanted.table));
                    if (rows.rows.size() > size_t(MaxRecordCount))
                        std::abort();
                } else {
                    MdbTableLoader::readTable(path, QString::fromLatin1(password),
                                              QString::fromLatin1(wanted.table), wanted.columns);
                }
                return 0;
            } catch (const PlatformError& error) {
                if (error.number() == PlatformError::WrongPassword)
                    break;
                if (error.number() != PlatformError::TableNotFound &&
                    error.number() != PlatformError::ItemNotFound)
                    return 0;
            }
        }
    }
    return 0;
}
