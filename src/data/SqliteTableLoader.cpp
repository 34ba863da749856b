// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SqliteTableLoader.h"

#include "platform/PlatformError.h"

#include <QFile>
#include <QUrl>
#include <QVariant>

#include <sqlite3.h>

// SQLite is read through its own interface rather than the toolkit's SQL
// module: the module's driver is a plugin that start-up would have to load
// (with the module) just to read one table, and it converts every value to
// a variant on the way. Values and messages are those the driver gave.
namespace {

QString quoted(const QString& identifier) {
    QString inner = identifier;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

bool hasSqliteMagic(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArrayLiteral("SQLite format 3\0");
}

// The engine's message followed by what was being done, as the toolkit's
// driver words its errors.
QString errorText(sqlite3* db, const char* doing) {
    return QString::fromUtf8(sqlite3_errmsg(db)) + u' ' + QLatin1String(doing);
}

struct Connection {
    ~Connection() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};

struct Statement {
    ~Statement() { sqlite3_finalize(stmt); }
    sqlite3_stmt* stmt = nullptr;
};

bool prepare(sqlite3* db, const QString& sql, Statement& statement) {
    const QByteArray text = sql.toUtf8();
    return sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement.stmt, nullptr) ==
           SQLITE_OK;
}

// A value as text, as the toolkit's variant of it would print it: text and
// blobs as they are, whole numbers in decimal, real numbers in their
// shortest form; NULL stays missing.
FieldValue valueAt(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column)).toString();
    case SQLITE_BLOB:
        return QString::fromUtf8(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    default: {
        // The engine's own conversion to UTF-16, as the driver used.
        const void* text = sqlite3_column_text16(stmt, column);
        const int bytes = sqlite3_column_bytes16(stmt, column);
        return text ? QString(static_cast<const QChar*>(text), bytes / int(sizeof(QChar)))
                    : QString();
    }
    }
}

} // namespace

TableData SqliteTableLoader::load(const QString& filePath, const QString& /*password*/,
                                  const QString& table) const {
    // SQLite would happily treat any file as an empty database until the
    // first query; a clear "not a database" is kinder.
    if (!hasSqliteMagic(filePath))
        throw PlatformError(PlatformError::NotADatabase,
                            QStringLiteral("Il file non è un database riconosciuto."));

    // Nothing of the file stays open after the rows are in memory.
    // Read-only alone is not enough: a database in WAL mode makes SQLite
    // create "-wal" and "-shm" files beside it even then. An immutable file
    // is read without locks, journals or any file of its own.
    QUrl uri = QUrl::fromLocalFile(filePath);
    uri.setQuery(QStringLiteral("mode=ro&immutable=1"));
    Connection connection;
    if (sqlite3_open_v2(uri.toEncoded().constData(), &connection.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_PRIVATECACHE |
                            SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        throw PlatformError(PlatformError::CannotOpenDatabase,
                            QStringLiteral("Impossibile aprire il database: %1")
                                .arg(errorText(connection.db, "Error opening database")));
    sqlite3* db = connection.db;
    sqlite3_busy_timeout(db, 5000);

    {
        Statement probe;
        if (!prepare(db,
                     QStringLiteral("SELECT name FROM sqlite_master WHERE type IN "
                                    "('table','view') AND name = ? COLLATE NOCASE"),
                     probe))
            throw PlatformError(PlatformError::NotADatabase,
                                QStringLiteral("Il file non è un database riconosciuto."));
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(probe.stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const int step = sqlite3_step(probe.stmt);
        if (step == SQLITE_DONE)
            throw PlatformError(PlatformError::TableNotFound,
                                QStringLiteral("Tabella \"%1\" non trovata.").arg(table));
        if (step != SQLITE_ROW)
            throw PlatformError(PlatformError::NotADatabase,
                                QStringLiteral("Il file non è un database riconosciuto."));
    }

    // Column names are matched without regard to case, as the engine does.
    {
        Statement columns;
        QStringList names;
        if (prepare(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)), columns)) {
            while (sqlite3_step(columns.stmt) == SQLITE_ROW)
                names << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(columns.stmt, 1)));
        }
        for (const QString& field : fieldNames()) {
            if (!names.contains(field, Qt::CaseInsensitive))
                throw PlatformError(PlatformError::ItemNotFound,
                                    QStringLiteral("Campo \"%1\" non trovato nella tabella \"%2\".")
                                        .arg(field, table));
        }
    }

    QStringList selected;
    for (const QString& field : fieldNames())
        selected << quoted(field);
    Statement query;
    const auto readError = [&](const char* doing) {
        return PlatformError(PlatformError::CannotOpenDatabase,
                             QStringLiteral("Impossibile leggere la tabella \"%1\": %2")
                                 .arg(table, errorText(db, doing)));
    };
    if (!prepare(db,
                 QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                     .arg(selected.join(u','), quoted(table)),
                 query))
        throw readError("Unable to execute statement");

    TableData data;
    for (;;) {
        const int step = sqlite3_step(query.stmt);
        if (step == SQLITE_DONE)
            break;
        if (step != SQLITE_ROW)
            throw readError("Unable to fetch row");
        if (static_cast<int>(data.rows.size()) >= MaxRecordCount)
            throw PlatformError(PlatformError::Overflow,
                                QStringLiteral("La tabella \"%1\" ha più di %2 righe.")
                                    .arg(table)
                                    .arg(MaxRecordCount));
        Row row;
        for (int i = 0; i < FieldCount; ++i)
            row[static_cast<size_t>(i)] = valueAt(query.stmt, i);
        data.rows.push_back(std::move(row));
    }
    return data;
}
