// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SqliteTableLoader.h"

#include "platform/PlatformError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>

#include <sqlite3.h>

#include <optional>

// SQLite is read through its own interface rather than the toolkit's SQL
// module: the module's driver is a plugin that start-up would have to load
// (with the module) just to read one table, and it converts every value to
// a variant on the way. Values are those the driver gave.
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

// What went wrong, in the learner's language; the engine's own words follow
// as a detail for whoever looks into it.
QString errorText(sqlite3* db, const QString& what) {
    return QStringLiteral("%1 (SQLite: %2)").arg(what, QString::fromUtf8(sqlite3_errmsg(db)));
}

bool nonEmpty(const QString& path) {
    return QFileInfo(path).size() > 0;
}

// A table that an editor has open, or that a writer left half-written, has
// committed rows in its "-wal" file, or a "-journal" to roll back, beside it.
// Reading the file immutable would miss the one and ignore the other; opening
// it normally would write into the data folder. A private copy, with those
// files, can be opened normally: the engine reads the log or rolls the
// journal back there. The copy is made database first: a checkpoint between
// the two copies leaves the log still whole.
bool copyForReading(const QString& filePath, const QTemporaryDir& dir, QString& copy) {
    copy = dir.filePath(QStringLiteral("tabella.sqlite"));
    if (!QFile::copy(filePath, copy))
        return false;
    for (const char* suffix : {"-wal", "-journal"}) {
        const QString side = filePath + QLatin1String(suffix);
        if (nonEmpty(side) && !QFile::copy(side, copy + QLatin1String(suffix)))
            return false;
    }
    for (const char* suffix : {"", "-wal", "-journal"})
        QFile::setPermissions(copy + QLatin1String(suffix), QFile::ReadOwner | QFile::WriteOwner);
    return true;
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
    int flags = SQLITE_OPEN_READONLY;
    const QString cannotOpen = QStringLiteral("Impossibile aprire il database.");
    // Declared before the connection: removed only after it is closed.
    std::optional<QTemporaryDir> privateCopy;
    if (nonEmpty(filePath + QStringLiteral("-wal")) ||
        nonEmpty(filePath + QStringLiteral("-journal"))) {
        privateCopy.emplace(QDir::tempPath() + QStringLiteral("/tavorin-XXXXXX"));
        QString copy;
        if (!privateCopy->isValid() || !copyForReading(filePath, *privateCopy, copy))
            throw PlatformError(PlatformError::CannotOpenDatabase,
                                cannotOpen + QStringLiteral(" Non si può fare una copia del "
                                                            "file nella cartella temporanea."));
        uri = QUrl::fromLocalFile(copy);
        flags = SQLITE_OPEN_READWRITE;
    }
    Connection connection;
    if (sqlite3_open_v2(uri.toEncoded().constData(), &connection.db,
                        flags | SQLITE_OPEN_URI | SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        throw PlatformError(PlatformError::CannotOpenDatabase,
                            errorText(connection.db, cannotOpen));
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
    const auto readError = [&] {
        return PlatformError(
            PlatformError::CannotOpenDatabase,
            errorText(db, QStringLiteral("Impossibile leggere la tabella \"%1\".").arg(table)));
    };
    if (!prepare(db,
                 QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                     .arg(selected.join(u','), quoted(table)),
                 query))
        throw readError();

    TableData data;
    for (;;) {
        const int step = sqlite3_step(query.stmt);
        if (step == SQLITE_DONE)
            break;
        if (step != SQLITE_ROW)
            throw readError();
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
