// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/MdbTableLoader.h"

#include "data/Jet4Header.h"
#include "platform/PlatformError.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

// mdbtools.h includes <glib.h> inside extern "C", where glib's C++ parts do
// not compile; including it first makes that inner include a no-op.
#include <glib.h>
#include <mdbtools.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

Q_LOGGING_CATEGORY(lcMdb, "tavorin.mdb", QtWarningMsg)

namespace {

constexpr int RowOffsetMask = 0x1fff;
constexpr int PrimaryKeyIndex = 1;

[[noreturn]] void refuseDamaged() {
    throw PlatformError(PlatformError::NotADatabase,
                        QStringLiteral("Formato di database non riconosciuto: il file è "
                                       "danneggiato o troncato."));
}

// libmdb writes its warnings straight to file descriptor 2 and has no switch
// to silence them. The learner must not see them, but they tell us one thing
// we need: a page read past the end of the file means the file is truncated.
// So while libmdb works, descriptor 2 goes to a temporary file that we read.
// The descriptor belongs to the whole process: loads take turns, and what
// another thread prints meanwhile ends up in our debug log.
class StderrCapture {
public:
    StderrCapture() : m_lock(mutex()) {
        std::fflush(stderr);
        m_file = std::tmpfile();
        if (!m_file)
            return;
        m_saved = ::dup(STDERR_FILENO);
        if (m_saved < 0 || ::dup2(::fileno(m_file), STDERR_FILENO) < 0) {
            if (m_saved >= 0)
                ::close(m_saved);
            std::fclose(m_file);
            m_file = nullptr;
        }
    }
    ~StderrCapture() {
        if (!m_file)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        const QByteArray text = contents();
        std::fclose(m_file);
        if (!text.isEmpty())
            qCDebug(lcMdb).noquote() << "libmdb:" << QString::fromLocal8Bit(text).trimmed();
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    bool sawMissingPage() const { return contents().contains("beyond EOF"); }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    QByteArray contents() const {
        QByteArray text;
        if (!m_file)
            return text;
        std::fflush(stderr);
        // A damaged file can make libmdb complain at length; the first
        // megabyte says enough.
        constexpr qsizetype Limit = 1 << 20;
        char buffer[4096];
        off_t at = 0;
        while (text.size() < Limit) {
            const ssize_t got = ::pread(::fileno(m_file), buffer, sizeof buffer, at);
            if (got <= 0)
                break;
            text.append(buffer, got);
            at += got;
        }
        return text;
    }

    std::unique_lock<std::mutex> m_lock;
    std::FILE* m_file = nullptr;
    int m_saved = -1;
};

struct HandleCloser {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

// Names match exactly first, then without regard to letter case, as the
// engine looks names up.
template <typename NameOf> int findByName(int count, const QString& wanted, NameOf nameOf) {
    for (int i = 0; i < count; ++i)
        if (nameOf(i) == wanted)
            return i;
    for (int i = 0; i < count; ++i)
        if (nameOf(i).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

MdbColumn* columnAt(MdbTableDef* table, int index) {
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, index));
}

// Bytes libmdb needs for the UTF-8 text of a memo, so that it cuts nothing.
// Memo text lives in the row, in one row elsewhere, or in a chain of rows.
// The rows elsewhere must lie in the file (one past the end reads as an
// empty page), and the chain is walked first so that a damaged file with a
// looping chain is refused instead of sending libmdb round it for ever.
size_t memoBindSize(MdbHandle* mdb, const MdbField& field, qint64 pageCount) {
    constexpr size_t Slack = 16;
    if (field.siz < MDB_MEMO_OVERHEAD)
        return Slack;
    const auto header = static_cast<guint32>(mdb_get_int32(mdb->pg_buf, field.start));
    auto link = static_cast<guint32>(mdb_get_int32(mdb->pg_buf, field.start + 4));
    const auto checkPage = [&](guint32 pageAndRow) {
        if (qint64(pageAndRow >> 8) >= pageCount)
            refuseDamaged();
    };
    // UTF-8 takes at most twice the stored bytes: a compressed character is
    // one byte and at most two in UTF-8, a UCS-2 one two bytes and at most three.
    if (header & 0x80000000u)
        return 2 * size_t(field.siz) + Slack;
    if (header & 0x40000000u) {
        checkPage(link);
        return 2 * size_t(MDB_PGSIZE) + Slack;
    }
    if (header & 0xff000000u)
        return Slack; // a kind libmdb does not read: it gives empty text

    const guint32 length = header;
    std::set<guint32> visited;
    size_t total = 0;
    while (link != 0) {
        checkPage(link);
        if (!visited.insert(link).second)
            refuseDamaged();
        void* page = nullptr;
        int start = 0;
        size_t size = 0;
        if (mdb_find_pg_row(mdb, int(link), &page, &start, &size) != 0 || size < 4)
            break;
        total += size - 4;
        if (total > length)
            break;
        link = static_cast<guint32>(mdb_get_int32(page, start));
    }
    return 2 * size_t(length) + Slack;
}

// The value of one field of the row libmdb has just fetched, as text.
FieldValue textOf(MdbHandle* mdb, const MdbColumn* column, const MdbField& field,
                  qint64 pageCount) {
    // A yes/no column keeps its value in the null mask: a set bit is "yes".
    if (column->col_type == MDB_BOOL)
        return field.is_null ? QStringLiteral("Falso") : QStringLiteral("Vero");
    if (field.is_null)
        return std::nullopt;
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > MDB_PGSIZE)
        refuseDamaged();

    char* text = nullptr;
    switch (column->col_type) {
    case MDB_TEXT:
        mdb_set_bind_size(mdb, 2 * size_t(field.siz) + 16);
        text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_TEXT, field.siz);
        break;
    case MDB_MEMO:
        mdb_set_bind_size(mdb, memoBindSize(mdb, field, pageCount));
        text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_MEMO, field.siz);
        break;
    case MDB_NUMERIC:
        text = mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec);
        break;
    default:
        mdb_set_bind_size(mdb, MDB_BIND_SIZE);
        text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz);
        break;
    }
    if (!text)
        return QString(QLatin1String(""));
    QString value = QString::fromUtf8(text);
    g_free(text);
    return value;
}

// A primary-key value as the engine orders it: numbers by value, text
// without regard to letter case, NULL first.
struct KeyValue {
    bool null = true;
    double number = 0.0;
    QString text;
};

struct KeyColumn {
    int column;
    bool descending;
};

KeyValue keyOf(MdbHandle* mdb, const MdbColumn* column, const MdbField& field, qint64 pageCount) {
    KeyValue key;
    const auto fits = [&](int width) { return !field.is_null && field.siz >= width; };
    switch (column->col_type) {
    case MDB_BYTE:
        if (fits(1)) {
            key.null = false;
            key.number = mdb_get_byte(mdb->pg_buf, field.start);
        }
        return key;
    case MDB_INT:
        if (fits(2)) {
            key.null = false;
            key.number = static_cast<gint16>(mdb_get_int16(mdb->pg_buf, field.start));
        }
        return key;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        if (fits(4)) {
            key.null = false;
            key.number = static_cast<gint32>(mdb_get_int32(mdb->pg_buf, field.start));
        }
        return key;
    case MDB_FLOAT:
        if (fits(4)) {
            key.null = false;
            key.number = mdb_get_single(mdb->pg_buf, field.start);
        }
        return key;
    case MDB_DOUBLE:
    case MDB_DATETIME:
        if (fits(8)) {
            key.null = false;
            key.number = mdb_get_double(mdb->pg_buf, field.start);
        }
        return key;
    default:
        if (FieldValue text = textOf(mdb, column, field, pageCount)) {
            key.null = false;
            key.text = *text;
        }
        return key;
    }
}

int compareKeys(const KeyValue& a, const KeyValue& b) {
    if (a.null || b.null)
        return int(b.null) - int(a.null);
    // A damaged file may hold a NaN, which must still sort consistently.
    if (std::isnan(a.number) || std::isnan(b.number))
        return int(std::isnan(a.number)) - int(std::isnan(b.number));
    if (a.number != b.number)
        return a.number < b.number ? -1 : 1;
    return a.text.compare(b.text, Qt::CaseInsensitive);
}

struct FetchedRow {
    std::vector<FieldValue> values;
    std::vector<KeyValue> key;
};

[[noreturn]] void refuseTooManyRows(const QString& table) {
    throw PlatformError(PlatformError::Overflow,
                        QStringLiteral("Overflow: la tabella \"%1\" ha più di %2 righe.")
                            .arg(table)
                            .arg(MaxRecordCount));
}

// The usage map lists a table's data pages. libmdb follows it without any
// check (a missing map crashes it, a map page past the end of the file ends
// the program), and a page listed past the end of a truncated file just
// reads as empty. So every page it names must lie in the file.
void checkUsageMap(MdbHandle* mdb, const MdbTableDef* table, qint64 pageCount) {
    const auto* map = static_cast<const unsigned char*>(table->usage_map);
    const size_t size = table->map_sz;
    if (!map || size < 1)
        refuseDamaged();
    const auto inFile = [&](qint64 page) { return page >= 0 && page < pageCount; };
    // Both kinds of map end in bitmaps whose bit i stands for page first + i.
    const auto checkBits = [&](const unsigned char* bits, size_t bytes, qint64 first) {
        for (size_t i = 0; i < bytes * 8; ++i)
            if ((bits[i / 8] & (1u << (i % 8))) && !inFile(first + qint64(i)))
                refuseDamaged();
    };
    if (map[0] == 0) {
        // The bitmap follows the number of the first page it covers.
        if (size < 5)
            refuseDamaged();
        checkBits(map + 5, size - 5,
                  qint64(guint32(mdb_get_int32(const_cast<unsigned char*>(map), 1))));
    } else if (map[0] == 1) {
        // A list of map pages, each a bitmap of the next stretch of pages.
        const qint64 pagesPerMapPage = qint64(MDB_PGSIZE - 4) * 8;
        for (size_t at = 1; at + 4 <= size; at += 4) {
            const auto mapPage =
                qint64(guint32(mdb_get_int32(const_cast<unsigned char*>(map), int(at))));
            if (mapPage == 0)
                continue;
            if (!inFile(mapPage) || mdb_read_alt_pg(mdb, mapPage) != MDB_PGSIZE)
                refuseDamaged();
            checkBits(mdb->alt_pg_buf + 4, MDB_PGSIZE - 4, qint64(at - 1) / 4 * pagesPerMapPage);
        }
    }
    // libmdb reads other kinds by walking every page of the file.
}

// Reads the definition of the table described by `entry`; the table must be
// freed before the handle is closed. Indexes are read only when asked for:
// they serve to find the primary key.
std::unique_ptr<MdbTableDef, TableFreer> openTable(MdbCatalogEntry* entry, qint64 pageCount,
                                                   bool withIndexes,
                                                   const StderrCapture& diagnostics) {
    // The engine allows 255 columns and 32 indexes; libmdb believes any
    // count it reads and allocates for it.
    constexpr guint MaxIndexes = 256;
    if (entry->table_pg == 0 || qint64(entry->table_pg) >= pageCount)
        refuseDamaged();
    std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
    if (!table || table->num_cols > MDB_MAX_COLS || table->num_idxs > MaxIndexes ||
        table->num_real_idxs > MaxIndexes)
        refuseDamaged();
    checkUsageMap(entry->mdb, table.get(), pageCount);
    if (!mdb_read_columns(table.get()) || !table->columns)
        refuseDamaged();
    if (withIndexes)
        mdb_read_indices(table.get());
    if (diagnostics.sawMissingPage())
        refuseDamaged();
    return table;
}

int columnCountOf(const MdbTableDef* table) {
    return int(std::min<guint>(table->num_cols, table->columns->len));
}

int findColumn(MdbTableDef* table, const QString& name) {
    return findByName(columnCountOf(table), name,
                      [&](int i) { return QString::fromUtf8(columnAt(table, i)->name); });
}

// The primary key's columns, empty when the table has none.
std::vector<KeyColumn> primaryKeyOf(const MdbTableDef* table) {
    std::vector<KeyColumn> key;
    for (guint i = 0; table->indices && i < table->indices->len; ++i) {
        const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        if (!index || index->index_type != PrimaryKeyIndex)
            continue;
        for (unsigned k = 0; k < std::min<unsigned>(index->num_keys, MDB_MAX_IDX_COLS); ++k) {
            const int column = index->key_col_num[k] - 1;
            if (column >= 0 && column < columnCountOf(table))
                key.push_back({column, index->key_col_order[k] == MDB_DESC});
        }
        break;
    }
    return key;
}

// Every row of `table` with the columns `wanted` (indexes into its column
// list), in the engine's order. libmdb's sequential fetch gives the stored
// order: data pages in page order, rows in slot order, deleted rows left
// out. It fills no buffer we could trust for NULLs, so each fetched row is
// cracked again for its null flags and value positions.
std::vector<std::vector<FieldValue>> fetchRows(MdbHandle* mdb, MdbTableDef* table,
                                               const std::vector<int>& wanted, qint64 pageCount,
                                               const StderrCapture& diagnostics) {
    const int columnCount = columnCountOf(table);
    const std::vector<KeyColumn> primaryKey = primaryKeyOf(table);
    std::vector<MdbField> fields(std::max<size_t>(size_t(table->num_cols), MDB_MAX_COLS));
    std::vector<int> fieldOfColumn(size_t(columnCount), -1);
    std::vector<FetchedRow> rows;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        if (rows.size() >= size_t(MaxRecordCount))
            refuseTooManyRows(QString::fromUtf8(table->name));
        int start = 0;
        size_t size = 0;
        if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size))
            refuseDamaged();
        const int cracked = mdb_crack_row(table, start & RowOffsetMask, size, fields.data());
        if (cracked < 0)
            refuseDamaged();
        std::fill(fieldOfColumn.begin(), fieldOfColumn.end(), -1);
        for (int i = 0; i < std::min<int>(cracked, int(fields.size())); ++i)
            if (fields[size_t(i)].colnum >= 0 && fields[size_t(i)].colnum < columnCount)
                fieldOfColumn[size_t(fields[size_t(i)].colnum)] = i;

        FetchedRow row;
        row.values.reserve(wanted.size());
        for (int column : wanted) {
            const int at = fieldOfColumn[size_t(column)];
            // A column added after the row was written has no field in it.
            row.values.push_back(
                at < 0 ? FieldValue()
                       : textOf(mdb, columnAt(table, column), fields[size_t(at)], pageCount));
        }
        for (const KeyColumn& key : primaryKey) {
            const int at = fieldOfColumn[size_t(key.column)];
            row.key.push_back(
                at < 0 ? KeyValue()
                       : keyOf(mdb, columnAt(table, key.column), fields[size_t(at)], pageCount));
        }
        rows.push_back(std::move(row));
    }
    if (diagnostics.sawMissingPage())
        refuseDamaged();

    if (!primaryKey.empty()) {
        std::stable_sort(rows.begin(), rows.end(), [&](const FetchedRow& a, const FetchedRow& b) {
            for (size_t k = 0; k < primaryKey.size(); ++k) {
                const int order = compareKeys(a.key[k], b.key[k]);
                if (order != 0)
                    return primaryKey[k].descending ? order > 0 : order < 0;
            }
            return false;
        });
    }

    std::vector<std::vector<FieldValue>> values;
    values.reserve(rows.size());
    for (FetchedRow& row : rows)
        values.push_back(std::move(row.values));
    return values;
}

struct UserTable {
    QString name;
    guint32 page;
};

// The user tables listed in the engine's catalog, the table MSysObjects
// whose definition is on page 2. libmdb's own catalog reader also parses
// every object's property blob, and a damaged blob sends it into an endless
// loop; the four columns read here are all we need.
std::vector<UserTable> userTables(MdbHandle* mdb, qint64 pageCount,
                                  const StderrCapture& diagnostics) {
    constexpr guint32 CatalogPage = 2;
    constexpr long SystemFlags = 0x80000002;
    constexpr long PageMask = 0x00FFFFFF;

    MdbCatalogEntry catalog{};
    catalog.mdb = mdb;
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = CatalogPage;
    std::strncpy(catalog.object_name, "MSysObjects", MDB_MAX_OBJ_NAME);
    const auto table = openTable(&catalog, pageCount, false, diagnostics);

    std::vector<int> wanted;
    for (const char* name : {"Name", "Type", "Id", "Flags"}) {
        const int column = findColumn(table.get(), QString::fromLatin1(name));
        if (column < 0)
            refuseDamaged();
        wanted.push_back(column);
    }
    std::vector<std::vector<FieldValue>> rows;
    try {
        rows = fetchRows(mdb, table.get(), wanted, pageCount, diagnostics);
    } catch (const PlatformError& error) {
        if (error.number() == PlatformError::Overflow)
            refuseDamaged();
        throw;
    }

    std::vector<UserTable> tables;
    for (const std::vector<FieldValue>& row : rows) {
        if (!row[0] || !row[1] || !row[2])
            continue;
        const long type = row[1]->toLong();
        const long flags = row[3] ? row[3]->toLong() : 0;
        if ((type & 0x7F) == MDB_TABLE && (flags & SystemFlags) == 0)
            tables.push_back({*row[0], guint32(row[2]->toLong() & PageMask)});
    }
    return tables;
}

} // namespace

std::vector<std::vector<FieldValue>> MdbTableLoader::readTable(const QString& filePath,
                                                               const QString& password,
                                                               const QString& tableName,
                                                               const QStringList& columns) {
    const QFileInfo info(filePath);
    if (!info.exists())
        throw PlatformError(PlatformError::FileNotFound, QStringLiteral("File non trovato."));
    QFile file(filePath);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw PlatformError(PlatformError::CannotOpenDatabase,
                            QStringLiteral("Impossibile aprire il file."));
    const qint64 fileSize = file.size();
    const QByteArray firstPage = file.read(Jet4::PageSize);
    file.close();
    Jet4::checkHeader(firstPage, fileSize, password);
    const qint64 pageCount = fileSize / Jet4::PageSize;

    StderrCapture diagnostics;
    std::unique_ptr<MdbHandle, HandleCloser> mdb(
        mdb_open(QFile::encodeName(filePath).constData(), MDB_NOFLAGS));
    if (!mdb || !mdb->f || mdb->f->jet_version != MDB_VER_JET4)
        refuseDamaged();
    mdb_set_date_fmt(mdb.get(), "%d/%m/%Y %H:%M:%S");

    const std::vector<UserTable> tables = userTables(mdb.get(), pageCount, diagnostics);
    const int found =
        findByName(int(tables.size()), tableName, [&](int i) { return tables[size_t(i)].name; });
    if (found < 0)
        throw PlatformError(PlatformError::TableNotFound,
                            QStringLiteral("Tabella \"%1\" non trovata.").arg(tableName));

    MdbCatalogEntry entry{};
    entry.mdb = mdb.get();
    entry.object_type = MDB_TABLE;
    entry.table_pg = tables[size_t(found)].page;
    const QByteArray storedName = tables[size_t(found)].name.toUtf8();
    std::strncpy(entry.object_name, storedName.constData(), MDB_MAX_OBJ_NAME);
    const auto table = openTable(&entry, pageCount, true, diagnostics);

    std::vector<int> wanted;
    for (const QString& name : columns) {
        const int column = findColumn(table.get(), name);
        if (column < 0)
            throw PlatformError(PlatformError::ItemNotFound,
                                QStringLiteral("Campo \"%1\" non trovato nella tabella \"%2\".")
                                    .arg(name, tables[size_t(found)].name));
        const int type = columnAt(table.get(), column)->col_type;
        if (type == MDB_OLE || type == MDB_BINARY)
            throw PlatformError(PlatformError::TypeMismatch,
                                QStringLiteral("Il campo \"%1\" non contiene testo.").arg(name));
        wanted.push_back(column);
    }
    return fetchRows(mdb.get(), table.get(), wanted, pageCount, diagnostics);
}

TableData MdbTableLoader::load(const QString& filePath, const QString& password,
                               const QString& table) const {
    QStringList names;
    for (const QString& name : fieldNames())
        names << name;
    std::vector<std::vector<FieldValue>> read = readTable(filePath, password, table, names);
    TableData data;
    data.rows.reserve(read.size());
    for (std::vector<FieldValue>& values : read) {
        Row row;
        std::move(values.begin(), values.end(), row.begin());
        data.rows.push_back(std::move(row));
    }
    return data;
}
