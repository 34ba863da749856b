// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/MdbRows.h"

#include <QString>
#include <QtEndian>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace BenchMdb {

namespace {

constexpr int Page = 4096;
// The page that holds the definition of "Tabella" in DBGrafemi1.mdb.
constexpr int TableDefinitionPage = 23;

void setInt16(char* at, int value) {
    qToLittleEndian(quint16(value), at);
}

quint16 int16At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// A row of "Tabella": column count, the ID, the seven texts as UCS-2, then
// from the end: null mask (all present), variable column count, their
// offsets last to first and the end of the data.
QByteArray makeRow(int id) {
    static const char* const Syllables[][2] = {
        {"ma", "1"}, {"lü", "4"}, {"wo", "3"}, {"shi", "4"}, {"ni", "3"}};
    const QString n = QStringLiteral("%1").arg(id, 3, 10, QLatin1Char('0'));
    const auto& s = Syllables[(id - 1) % 5];
    const QString texts[7] = {QStringLiteral("g") + n,
                              QStringLiteral("s") + n,
                              QStringLiteral("f") + n,
                              QStringLiteral("significato %1").arg(id),
                              QString::fromUtf8(s[0]),
                              QString::fromUtf8(s[1]),
                              QStringLiteral("nota %1 (\u5988)").arg(id)};
    QByteArray row(6, '\0');
    setInt16(row.data(), 8);
    qToLittleEndian(qint32(id), row.data() + 2);
    std::vector<int> offsets;
    for (const QString& text : texts) {
        offsets.push_back(int(row.size()));
        row.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    }
    QByteArray tail(2 + 2 * 7 + 2 + 1, '\0');
    setInt16(tail.data(), int(row.size()));
    for (int i = 0; i < 7; ++i)
        setInt16(tail.data() + 2 + 2 * i, offsets[size_t(6 - i)]);
    setInt16(tail.data() + 16, 7);
    tail[18] = char(0xff);
    return row + tail;
}

} // namespace

void appendSampleRows(QByteArray& file, int first, int count) {
    // The usage map: a row of the page the definition names, an inline
    // bitmap of data pages starting at page 0.
    const qsizetype def = qsizetype(TableDefinitionPage) * Page;
    const quint32 mapRow = qFromLittleEndian<quint32>(file.constData() + def + 55);
    const int mapPage = int(mapRow >> 8);
    const int mapSlot = int(mapRow & 0xff);
    const qsizetype pageStart = qsizetype(mapPage) * Page;
    const qsizetype map = pageStart + (int16At(file, pageStart + 14 + 2 * mapSlot) & 0x1fff);
    const qsizetype mapEnd =
        pageStart +
        (mapSlot == 0 ? Page : (int16At(file, pageStart + 14 + 2 * (mapSlot - 1)) & 0x1fff));
    if (file[map] != 0 || qFromLittleEndian<quint32>(file.constData() + map + 1) != 0)
        throw std::runtime_error("unexpected usage map");
    const qsizetype mapPages = (mapEnd - map - 5) * 8;

    int id = first;
    while (count > 0) {
        const int pageNumber = int(file.size() / Page);
        if (pageNumber >= mapPages)
            throw std::runtime_error("the usage map holds no more pages");
        QByteArray page(Page, '\0');
        page[0] = 0x01;
        page[1] = 0x01;
        qToLittleEndian(quint32(TableDefinitionPage), page.data() + 4);
        int here = 0;
        int end = Page;
        for (; count > 0; --count, ++here, ++id) {
            const QByteArray row = makeRow(id);
            const int start = end - int(row.size());
            if (start < 14 + 2 * (here + 1))
                break;
            setInt16(page.data() + 14 + 2 * here, start);
            std::memcpy(page.data() + start, row.constData(), size_t(row.size()));
            end = start;
        }
        setInt16(page.data() + 2, end - (14 + 2 * here));
        setInt16(page.data() + 12, here);
        file += page;
        file[map + 5 + pageNumber / 8] =
            char(file[map + 5 + pageNumber / 8] | (1 << (pageNumber % 8)));
    }
}

} // namespace BenchMdb
