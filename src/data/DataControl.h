// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/TableData.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class FileSystemObject;
class TableLoader;

// The data control of the main window: one record set over the whole
// character table, loaded once when it is refreshed, with a single cursor
// and the solution boxes bound to fields of the current row. Only reads.
class DataControl {
public:
    DataControl();
    ~DataControl();

    // Take effect at the next refresh.
    void setDatabaseName(const QString& programPath) { m_databaseName = programPath; }
    void setConnect(const QString& connect) { m_connect = connect; }
    void setRecordSource(const QString& table) { m_recordSource = table; }

    // Opens the database and loads the whole table. The database file is
    // looked up through `fso` (letter case as on disk); a folder that holds
    // no "DBGrafemi1.mdb" is read from "DBGrafemi1.sqlite" beside it.
    // Throws PlatformError naming the file and the cause.
    void refresh(const FileSystemObject& fso);

    // The file actually opened (for messages and tests).
    const QString& openedFile() const { return m_openedFile; }

    // Record-set operations. Moves throw PlatformError(3021) without rows.
    void moveLast();
    void moveFirst();
    int recordCount() const { return static_cast<int>(m_table.rows.size()); }
    int absolutePosition() const { return m_position; }
    // Throws PlatformError(3021) when n is negative or not less than the
    // record count; the cursor then stays where it was.
    void setAbsolutePosition(int n);
    bool bof() const { return m_position < 0; }
    bool eof() const { return m_position >= recordCount(); }
    // The value of a field of the current row; throws PlatformError(3021)
    // without a current row and PlatformError(3265) for an unknown field.
    FieldValue field(const QString& name) const;
    FieldValue field(Field field) const;

    struct Binding {
        Field field;
        std::function<void(const QString&)> show;
    };

    // Binds a box to a field: `show` receives the current row's value (empty
    // text for a missing value) whenever the cursor moves and on refreshBound.
    using Setter = std::function<void(const QString&)>;
    void bind(Field field, Setter show);
    // Shows the current row's value in every box bound to `field`.
    void refreshBound(Field field) const;

private:
    void moved();
    void showBound(const Binding& binding) const;

    QString m_databaseName;
    QString m_connect;
    QString m_recordSource;
    QString m_openedFile;
    TableData m_table;
    int m_position = -1;
    std::vector<Binding> m_bindings;
};
