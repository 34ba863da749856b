// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DataControl.h"

#include "data/SqliteTableLoader.h"
#include "platform/FileSystemObject.h"
#include "platform/PlatformError.h"

#include <QDir>

namespace {

QString passwordOf(const QString& connect) {
    for (const QString& part : connect.split(u';')) {
        const QString trimmed = part.trimmed();
        if (trimmed.startsWith(QStringLiteral("pwd="), Qt::CaseInsensitive))
            return trimmed.mid(4);
    }
    return {};
}

PlatformError noCurrentRecord() {
    return PlatformError(PlatformError::NoCurrentRecord, QStringLiteral("Nessun record corrente."));
}

} // namespace

DataControl::DataControl() = default;
DataControl::~DataControl() = default;

void DataControl::refresh(const FileSystemObject& fso) {
    // The Access file is the one the program names; a folder prepared
    // without Access carries the same table as SQLite beside it.
    QString programPath = m_databaseName;
    std::optional<QString> file = fso.resolveFile(programPath);
    std::unique_ptr<TableLoader> loader;
    if (file) {
        loader = makeMdbLoader();
    } else {
        QString sqlitePath = programPath;
        if (sqlitePath.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive))
            sqlitePath.chop(4);
        sqlitePath += QStringLiteral(".sqlite");
        file = fso.resolveFile(sqlitePath);
        if (file) {
            programPath = sqlitePath;
            loader = std::make_unique<SqliteTableLoader>();
        }
    }

    const QString shownPath = QDir::toNativeSeparators(QString(programPath).replace(u'\\', u'/'));
    if (!file)
        throw PlatformError(PlatformError::FileNotFound,
                            QStringLiteral("Impossibile aprire il database:\n%1\n\nIl file non "
                                           "esiste (né la sua copia \"DBGrafemi1.sqlite\").")
                                .arg(shownPath));
    try {
        TableData loaded = loader->load(*file, passwordOf(m_connect), m_recordSource);
        m_table = std::move(loaded);
    } catch (const PlatformError& error) {
        throw PlatformError(error.number(),
                            QStringLiteral("Impossibile aprire il database:\n%1\n\n%2")
                                .arg(QDir::toNativeSeparators(*file), error.description()));
    }
    m_openedFile = *file;
    m_position = m_table.rows.empty() ? -1 : 0;
    moved();
}

void DataControl::moveLast() {
    if (m_table.rows.empty())
        throw noCurrentRecord();
    m_position = recordCount() - 1;
    moved();
}

void DataControl::moveFirst() {
    if (m_table.rows.empty())
        throw noCurrentRecord();
    m_position = 0;
    moved();
}

void DataControl::setAbsolutePosition(int n) {
    if (n < 0 || n >= recordCount())
        throw PlatformError(
            PlatformError::NoCurrentRecord,
            QStringLiteral("Il record numero %1 non esiste nella tabella.").arg(n + 1));
    m_position = n;
    moved();
}

FieldValue DataControl::field(Field which) const {
    if (bof() || eof())
        throw noCurrentRecord();
    return m_table.rows[static_cast<size_t>(m_position)][static_cast<size_t>(which)];
}

FieldValue DataControl::field(const QString& name) const {
    const auto& names = fieldNames();
    for (int i = 0; i < FieldCount; ++i) {
        if (names[static_cast<size_t>(i)].compare(name, Qt::CaseInsensitive) == 0)
            return field(static_cast<Field>(i));
    }
    throw PlatformError(PlatformError::ItemNotFound,
                        QStringLiteral("Campo \"%1\" non trovato.").arg(name));
}

void DataControl::bind(Field which, Setter show) {
    m_bindings.push_back(Binding{which, std::move(show)});
    showBound(m_bindings.back());
}

void DataControl::refreshBound(Field which) const {
    for (const Binding& binding : m_bindings) {
        if (binding.field == which)
            showBound(binding);
    }
}

void DataControl::showBound(const Binding& binding) const {
    if (bof() || eof()) {
        binding.show(QString());
        return;
    }
    const FieldValue& value =
        m_table.rows[static_cast<size_t>(m_position)][static_cast<size_t>(binding.field)];
    binding.show(value.value_or(QString()));
}

void DataControl::moved() {
    for (const Binding& binding : m_bindings)
        showBound(binding);
}
