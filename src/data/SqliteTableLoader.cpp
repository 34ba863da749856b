#include "data/SqliteTableLoader.h"

#include "platform/PlatformError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>

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

// One connection per load, removed again before returning, so nothing of the
// file stays open after the rows are in memory.
class Connection {
public:
    Connection() : m_name(QUuid::createUuid().toString()) {}
    ~Connection() {
        if (QSqlDatabase::contains(m_name)) {
            {
                QSqlDatabase db = QSqlDatabase::database(m_name, false);
                db.close();
            }
            QSqlDatabase::removeDatabase(m_name);
        }
    }
    const QString& name() const { return m_name; }

private:
    QString m_name;
};

} // namespace

TableData SqliteTableLoader::load(const QString& filePath, const QString& /*password*/,
                                  const QString& table) const {
    // The SQLite driver would happily treat any file as an empty database
    // until the first query; a clear "not a database" is kinder.
    if (!hasSqliteMagic(filePath))
        throw PlatformError(PlatformError::NotADatabase,
                            QStringLiteral("Il file non è un database riconosciuto."));

    Connection connection;
    TableData data;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.name());
        // Read-only alone is not enough: a database in WAL mode makes SQLite
        // create "-wal" and "-shm" files beside it even then. An immutable
        // file is read without locks, journals or any file of its own.
        QUrl uri = QUrl::fromLocalFile(filePath);
        uri.setQuery(QStringLiteral("mode=ro&immutable=1"));
        db.setDatabaseName(QString::fromLatin1(uri.toEncoded()));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        if (!db.open())
            throw PlatformError(
                PlatformError::CannotOpenDatabase,
                QStringLiteral("Impossibile aprire il database: %1").arg(db.lastError().text()));

        QSqlQuery probe(db);
        probe.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN "
                                     "('table','view') AND name = ? COLLATE NOCASE"));
        probe.addBindValue(table);
        if (!probe.exec())
            throw PlatformError(PlatformError::NotADatabase,
                                QStringLiteral("Il file non è un database riconosciuto."));
        if (!probe.next())
            throw PlatformError(PlatformError::TableNotFound,
                                QStringLiteral("Tabella \"%1\" non trovata.").arg(table));
        probe.finish();

        QSqlRecord columns = db.record(table);
        for (const QString& field : fieldNames()) {
            if (columns.indexOf(field) < 0)
                throw PlatformError(PlatformError::ItemNotFound,
                                    QStringLiteral("Campo \"%1\" non trovato nella tabella \"%2\".")
                                        .arg(field, table));
        }

        QStringList selected;
        for (const QString& field : fieldNames())
            selected << quoted(field);
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                            .arg(selected.join(u','), quoted(table))))
            throw PlatformError(PlatformError::CannotOpenDatabase,
                                QStringLiteral("Impossibile leggere la tabella \"%1\": %2")
                                    .arg(table, query.lastError().text()));
        while (query.next()) {
            if (static_cast<int>(data.rows.size()) >= MaxRecordCount)
                throw PlatformError(PlatformError::Overflow,
                                    QStringLiteral("La tabella \"%1\" ha più di %2 righe.")
                                        .arg(table)
                                        .arg(MaxRecordCount));
            Row row;
            for (int i = 0; i < FieldCount; ++i) {
                const QVariant value = query.value(i);
                if (!value.isNull())
                    row[i] = value.toString();
            }
            data.rows.push_back(std::move(row));
        }
        if (query.lastError().isValid())
            throw PlatformError(PlatformError::CannotOpenDatabase,
                                QStringLiteral("Impossibile leggere la tabella \"%1\": %2")
                                    .arg(table, query.lastError().text()));
    }
    return data;
}
