// SPDX-License-Identifier: GPL-3.0-or-later
#include "Builder.h"

#include "Art.h"
#include "GifWriter.h"
#include "StrokeFilm.h"
#include "Table.h"
#include "Tones.h"
#include "Tools.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMap>
#include <QMutex>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThreadPool>
#include <QUuid>

#include <atomic>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <utility>

namespace {

// Raised when the way sounds, films or the database are made changes.
constexpr int kMediaVersion = 2;
// Raised when the figures drawn from a pitch track change.
constexpr int kFiguresVersion = 1;
const QString kManifestName = QStringLiteral(".tavorin-content");

constexpr int kSoundsPerRun = 16;
constexpr int kFilmsPerRun = 6;

struct Output {
    QString path;    // relative to the application folder
    QByteArray hash; // of everything the file is made from
};

// One unit of work: makes one file, or a batch of sounds or films that share
// an encoder run.
struct Job {
    QList<Output> outputs;
    int weight = 1; // rough cost, for the time estimate
    std::function<bool(const QStringList& targets, QString* error)> make;
};

Job single(const QString& path, const QByteArray& hash, int weight,
           std::function<bool(const QString& target, QString* error)> make) {
    return Job{{Output{path, hash}}, weight, [make](const QStringList& targets, QString* error) {
                   return make(targets.first(), error);
               }};
}

// Where the picture at `path` is written `scale` times larger, and what
// its hash is made of: the plain size keeps the name and the inputs it always had.
QString atScale(const QString& path, int scale) {
    if (scale == 1)
        return path;
    const qsizetype dot = path.lastIndexOf('.');
    return path.left(dot) + QStringLiteral("@%1x").arg(scale) + path.mid(dot);
}
QStringList keyAt(QStringList parts, int scale) {
    if (scale != 1)
        parts << QStringLiteral("@%1x").arg(scale);
    return parts;
}

QByteArray hashOf(const QStringList& parts, const QByteArray& extra = {}) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& part : parts) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\x1f", 1));
    }
    hash.addData(extra);
    return hash.result().toHex();
}

// The manifest holds, for each file, the hash of its inputs and, for a
// sound, the pitch figures measured on it, after a key of its bytes.
struct Measured {
    QByteArray key;
    ContourFigures figures;
};

QMap<QString, QByteArray> readManifest(const QString& folder, QHash<QString, Measured>* measured) {
    QMap<QString, QByteArray> manifest;
    QFile file(QDir(folder).filePath(kManifestName));
    if (!file.open(QIODevice::ReadOnly))
        return manifest;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() < 2)
            continue;
        const QString path = QString::fromUtf8(fields[1]);
        manifest.insert(path, fields[0]);
        Measured entry;
        if (fields.size() == 4 && parseFigures(QString::fromUtf8(fields[3]), &entry.figures)) {
            entry.key = fields[2];
            measured->insert(path, entry);
        }
    }
    return manifest;
}

bool writeManifest(const QString& folder, const QMap<QString, QByteArray>& manifest,
                   const QHash<QString, Measured>& measured, QString* error) {
    QSaveFile file(QDir(folder).filePath(kManifestName));
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    for (auto it = manifest.cbegin(); it != manifest.cend(); ++it) {
        QByteArray line = it.value() + '\t' + it.key().toUtf8();
        const auto figures = measured.constFind(it.key());
        if (figures != measured.cend())
            line += '\t' + figures->key + '\t' + figuresText(figures->figures).toUtf8();
        file.write(line + '\n');
    }
    if (!file.commit()) {
        *error = QStringLiteral("cannot write the manifest: %1").arg(file.errorString());
        return false;
    }
    return true;
}

bool writeDatabase(const QList<CharacterRow>& rows, const QString& path, QString* error) {
    const QString connection = QStringLiteral("content-%1").arg(QUuid::createUuid().toString());
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
        db.setDatabaseName(path);
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            ok = query.exec("PRAGMA journal_mode=OFF") &&
                 query.exec("CREATE TABLE Tabella (\"Nome file grafema\" TEXT, \"Suoni\" TEXT, "
                            "\"Filmati\" TEXT, \"Significato\" TEXT, \"Sillaba\" TEXT, "
                            "\"Tono\" TEXT, \"Note\" TEXT)") &&
                 db.transaction();
            ok = ok && query.prepare("INSERT INTO Tabella VALUES (?, ?, ?, ?, ?, ?, ?)");
            for (const CharacterRow& row : rows) {
                if (!ok)
                    break;
                for (const QString& value : {row.picture, row.sound, row.film, row.meaning,
                                             row.syllable, QString::number(row.tone), row.notes})
                    query.addBindValue(value);
                ok = query.exec();
            }
            ok = ok && db.commit();
            if (!ok)
                *error = query.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

bool writeGifFile(const QImage& image, const QString& path, QString* error) {
    if (!writeGif(reducePalette(image), path, error))
        return false;
    // giflib creates the file readable by its owner only.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
    return true;
}

bool writeImage(const QImage& image, const QString& path, const char* format, QString* error) {
    if (QByteArray(format) == "GIF")
        return writeGifFile(image, path, error);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, format, 92) || !file.commit()) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

bool copyText(const QString& from, const QString& to, QString* error) {
    QFile source(from);
    QSaveFile target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly) ||
        target.write(source.readAll()) < 0 || !target.commit()) {
        *error = QStringLiteral("cannot copy %1 to %2").arg(from, to);
        return false;
    }
    return true;
}

bool writeText(const QByteArray& text, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* kAttribution = R"(Tavorin demo content: sources and licences

The character table (DBGrafemi1.sqlite): readings, Italian meanings and
notes written by the Tavorin project, under Creative Commons
Attribution-ShareAlike 4.0 International (CC-BY-SA-4.0.txt). The meanings
are derived in part from CC-CEDICT, https://cc-cedict.org/ (MDBG), which is
under the same licence; its English glosses were selected, translated into
Italian and shortened, and notes were added.

Theme pictures, dragon frames and the dragon picture (Grafica/) are drawn
by the Tavorin content builder, under CC BY-SA 4.0. The poster
(Grafica/DragonPoster.jpg) is too, except the character on it, which is
drawn with the font AR PL UKai under the Arphic Public License.

Character pictures (Grafemi/) are drawn with the font AR PL UKai,
Copyright (C) 1994-1999 Arphic Technology Co., Ltd. and the AR PL UKai
contributors, under the Arphic Public License (ARPHICPL.TXT); the Debian
package fonts-arphic-ukai gives its full copyright in
fonts-arphic-ukai.copyright.

Stroke-order films (Filmati/) are drawn from the stroke data of the npm
package hanzi-writer-data, derived from the Make Me a Hanzi project, whose
graphics come from the Arphic fonts AR PL KaitiM GB and AR PL UKai; the data
is under the Arphic Public License (ARPHICPL.TXT), and so are the films.

Pronunciations (Suoni/) are synthesised by eSpeak NG (cmn-latn-pinyin
voice) and given the pitch contour of their tone by Praat, by Paul Boersma
and David Weenink (https://www.praat.org/). A program's licence does not in
general reach what it outputs, but eSpeak NG builds its speech in part
from the data it ships, and plays recorded samples of that data for
unvoiced consonants, so parts of that data, which is under the GNU General
Public License version 3 or later, may be copied into each sound. The
sounds are therefore distributed under the GNU General Public License,
version 3 or later (GPL-3.0.txt); espeak-ng.copyright gives eSpeak NG's
full copyright. Their source is the character table and the Tavorin content
builder with its Praat script, run with eSpeak NG and Praat. Praat only
changes the pitch and the length of each sound by overlap-add, as that
script tells it, and adds no material of its own, so its licence (GNU GPL,
version 2 or later; praat.copyright) does not reach the sounds.

The Tavorin program itself is under the GNU General Public License,
version 3 or later (GPL-3.0.txt).
)";

class Progress {
public:
    explicit Progress(bool enabled) : m_enabled(enabled), m_tty(isatty(fileno(stderr))) {
        m_clock.start();
    }
    void show(int done, int total, qint64 doneWeight, qint64 totalWeight, bool final = false) {
        if (!m_enabled || total == 0)
            return;
        const int percent = int(100 * doneWeight / std::max<qint64>(1, totalWeight));
        if (!m_tty && !final && percent < m_lastPercent + 10)
            return;
        m_lastPercent = percent;
        const qint64 elapsed = m_clock.elapsed();
        QString eta = QStringLiteral("--:--");
        if (doneWeight > 0) {
            const qint64 left = elapsed * (totalWeight - doneWeight) / doneWeight / 1000;
            eta = QStringLiteral("%1:%2").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
        }
        const int width = 30;
        const int filled = width * percent / 100;
        const QString bar = QString(filled, '#') + QString(width - filled, '-');
        const QString line = QStringLiteral("[%1] %2/%3 files %4% %5 left")
                                 .arg(bar)
                                 .arg(done)
                                 .arg(total)
                                 .arg(percent, 3)
                                 .arg(final ? QStringLiteral("0:00") : eta);
        std::fprintf(stderr, m_tty ? "\r%s" : "%s\n", qPrintable(line));
        if (final && m_tty)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    bool m_enabled;
    bool m_tty;
    int m_lastPercent = -100;
    QElapsedTimer m_clock;
};

// Every row has its three files and every picture decodes at its size, and
// its high-density version at that size times kHighDensity.
bool checkFolder(const QString& folder, const QList<CharacterRow>& rows, QString* error) {
    const QDir dir(folder);
    auto decodes = [&](const QString& path, QSize size) {
        for (const int scale : {1, kHighDensity}) {
            const QString relative = atScale(path, scale);
            QImageReader reader(dir.filePath(relative));
            const QImage image = reader.read();
            if (image.isNull()) {
                *error = QStringLiteral("check: %1 does not decode: %2")
                             .arg(relative, reader.errorString());
                return false;
            }
            if (image.size() != size * scale) {
                *error = QStringLiteral("check: %1 is %2x%3, not %4x%5")
                             .arg(relative)
                             .arg(image.width())
                             .arg(image.height())
                             .arg(size.width() * scale)
                             .arg(size.height() * scale);
                return false;
            }
        }
        return true;
    };
    const QSize picture(kPictureSide, kPictureSide);
    for (const CharacterRow& row : rows) {
        if (!decodes("Grafemi/" + row.picture + ".jpg", picture))
            return false;
        for (const QString& media : {"Suoni/" + row.sound + ".MP3", "Filmati/" + row.film + ".wmv"})
            if (QFileInfo(dir.filePath(media)).size() < 256) {
                *error = QStringLiteral("check: %1 is missing or too short (row %2)")
                             .arg(media)
                             .arg(row.n);
                return false;
            }
    }
    for (const Theme& theme : themes())
        for (const QString& icon : themeIconNames())
            if (!decodes(QStringLiteral("Grafica/Temi/%1/%2.gif").arg(theme.folder, icon),
                         QSize(kIconSide, kIconSide)))
                return false;
    for (int i = 1; i <= kDragonFrames; ++i)
        if (!decodes(QStringLiteral("Grafica/Frames/DF_%1.gif").arg(i), picture))
            return false;
    return decodes("Grafica/dragon.gif", picture) &&
           decodes("Grafica/DragonPoster.jpg", QSize(kPosterWidth, kPosterHeight));
}

// The pitch figures of each of `sounds`: kept from the last run where the
// sound's bytes and the measuring tool are the same, else measured with Praat
// in `jobs` runs (none: leave them unmeasured). On return `measured` holds
// what the manifest is to keep.
bool figuresOf(const QDir& out, const QList<ToneSound>& sounds, const QString& measureKey, int jobs,
               bool progress, QHash<QString, Measured>* measured, QList<ContourFigures>* figures,
               QString* error) {
    const QHash<QString, Measured> last = std::exchange(*measured, {});
    *figures = QList<ContourFigures>(sounds.size());
    QStringList unmeasured;
    QList<qsizetype> which;
    QList<QByteArray> keys(sounds.size());
    for (qsizetype i = 0; i < sounds.size(); ++i) {
        const QString file = out.filePath(sounds[i].path);
        if (!QFileInfo::exists(file))
            continue; // the folder check names it
        keys[i] = hashOf({"figures", measureKey}, readFile(file));
        const auto known = last.constFind(sounds[i].path);
        if (known != last.cend() && known->key == keys[i]) {
            (*figures)[i] = known->figures;
            measured->insert(sounds[i].path, *known);
        } else {
            unmeasured << file;
            which << i;
        }
    }
    if (jobs == 0 || unmeasured.isEmpty())
        return true;
    if (progress)
        std::fprintf(stderr, "measuring the pitch of %d sounds\n", int(unmeasured.size()));
    QList<PitchTrack> tracks;
    if (!trackPitch(unmeasured, jobs, &tracks, error))
        return false;
    for (qsizetype k = 0; k < which.size(); ++k) {
        const qsizetype i = which[k];
        // As the next run reads them back, so that both runs report alike.
        parseFigures(figuresText(contourFigures(tracks[k])), &(*figures)[i]);
        measured->insert(sounds[i].path, Measured{keys[i], (*figures)[i]});
    }
    return true;
}

} // namespace

bool buildContent(const BuildOptions& options, BuildReport* report, QString* error) {
    error->clear();
    *report = BuildReport();
    QList<CharacterRow> rows;
    if (!readCharacterTable(options.table, &rows, error))
        return false;

    QString toolError;
    const QString espeak = toolVersion("espeak-ng", {"--version"}, &toolError);
    if (espeak.isEmpty()) {
        *error = QStringLiteral("espeak-ng is needed for the sounds: %1").arg(toolError);
        return false;
    }
    const QString ffmpeg = toolVersion("ffmpeg", {"-version"}, &toolError);
    if (ffmpeg.isEmpty()) {
        *error = QStringLiteral("ffmpeg is needed for sounds and films: %1").arg(toolError);
        return false;
    }
    const QString praat = toolVersion("praat", {"--version"}, &toolError);
    const QString contourScriptText = contourScript();
    const QString measureScriptText = measureScript();
    if (praat.isEmpty() || contourScriptText.isEmpty() || measureScriptText.isEmpty()) {
        *error = QStringLiteral("praat is needed for the tones of the sounds: %1").arg(toolError);
        return false;
    }
    QFont kai;
    QByteArray fontPrint;
    if (!loadKaiFont(&kai, &fontPrint, error))
        return false;
    const QDir strokeDir(options.strokeData);
    if (!strokeDir.exists("ARPHICPL.TXT")) {
        *error = QStringLiteral("no stroke data in %1 (run npm ci in tools/content)")
                     .arg(options.strokeData);
        return false;
    }

    const QDir out(options.out);
    if (!QDir().mkpath(options.out)) {
        *error = QStringLiteral("cannot create %1").arg(options.out);
        return false;
    }
    // Half-made files of a run that was killed: SQLite, for one, would open
    // a leftover database and find its table already there.
    for (QDirIterator it(options.out, {"*.part"}, QDir::Files | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        QFile::remove(it.next());
    QList<Job> jobs;
    QList<QPair<Output, Speech>> sounds; // with what is said
    QList<ToneSound> toneSounds;
    QList<QPair<Output, StrokeData>> films;
    QHash<QString, QString> madeFrom; // file -> what it shows, to catch name clashes
    auto claim = [&](const QString& path, const QString& content, int line) {
        const auto it = madeFrom.constFind(path);
        if (it != madeFrom.cend() && *it != content) {
            *error = QStringLiteral("row %1: %2 would hold both \"%3\" and \"%4\"")
                         .arg(line)
                         .arg(path, *it, content);
            return false;
        }
        const bool fresh = it == madeFrom.cend();
        madeFrom.insert(path, content);
        return fresh;
    };

    const QString fontHex = QString::fromLatin1(fontPrint.toHex());
    const QString soundTools = QStringList{espeak, ffmpeg, praat, contourScriptText}.join('\n');
    const QString art = QString::number(kArtVersion);
    const QString media = QString::number(kMediaVersion);
    QStringList tableText;
    for (const CharacterRow& row : rows) {
        tableText << row.picture << row.sound << row.film << row.meaning << row.syllable
                  << QString::number(row.tone) << row.notes;
        if (!kaiHasCharacter(kai, row.character)) {
            *error = QStringLiteral("row %1: the Kai font has no glyph for %2")
                         .arg(row.n)
                         .arg(row.character);
            return false;
        }
        const QString picture = "Grafemi/" + row.picture + ".jpg";
        if (claim(picture, row.character, row.n)) {
            const QString character = row.character;
            madeFrom.insert(atScale(picture, kHighDensity), character);
            for (const int scale : {1, kHighDensity})
                jobs << single(atScale(picture, scale),
                               hashOf(keyAt({"picture", art, character, fontHex}, scale)), scale,
                               [character, kai, scale](const QString& target, QString* e) {
                                   return writeImage(renderCharacterPicture(character, kai, scale),
                                                     target, "JPEG", e);
                               });
        } else if (!error->isEmpty()) {
            return false;
        }

        const QString speech = speechText(row.syllable, row.tone);
        const QString sound = "Suoni/" + row.sound + ".MP3";
        if (claim(sound, speech, row.n)) {
            const QByteArray hash =
                hashOf({"sound", media, speech, soundTools, contourCall({}, {}, row.tone)});
            sounds.append({Output{sound, hash}, Speech{speech, row.tone}});
            toneSounds.append(ToneSound{sound, row.syllable, row.tone});
        } else if (!error->isEmpty()) {
            return false;
        }

        const QString film = "Filmati/" + row.film + ".wmv";
        if (claim(film, row.character, row.n)) {
            const QByteArray json = readFile(strokeDir.filePath(row.character + ".json"));
            StrokeData strokes;
            QString why;
            if (json.isEmpty()) {
                *error = QStringLiteral("row %1: hanzi-writer-data has no entry for %2")
                             .arg(row.n)
                             .arg(row.character);
                return false;
            }
            if (!parseStrokeData(json, &strokes, &why)) {
                *error = QStringLiteral("row %1: stroke data of %2: %3")
                             .arg(row.n)
                             .arg(row.character, why);
                return false;
            }
            films.append({Output{film, hashOf({"film", media, art, ffmpeg}, json)}, strokes});
        } else if (!error->isEmpty()) {
            return false;
        }
    }
    jobs << single(
        "DBGrafemi1.sqlite", hashOf(QStringList{"db", media} + tableText), 2,
        [rows](const QString& target, QString* e) { return writeDatabase(rows, target, e); });

    for (const int scale : {1, kHighDensity}) {
        for (const Theme& theme : themes())
            for (const QString& icon : themeIconNames()) {
                const QString path =
                    QStringLiteral("Grafica/Temi/%1/%2.gif").arg(theme.folder, icon);
                jobs << single(
                    atScale(path, scale), hashOf(keyAt({"icon", art, theme.folder, icon}, scale)),
                    scale, [theme, icon, scale](const QString& target, QString* e) {
                        return writeGifFile(renderThemeIcon(theme.folder, icon, scale), target, e);
                    });
            }
        for (int i = 1; i <= kDragonFrames; ++i)
            jobs << single(atScale(QStringLiteral("Grafica/Frames/DF_%1.gif").arg(i), scale),
                           hashOf(keyAt({"frame", art, QString::number(i)}, scale)), scale,
                           [i, scale](const QString& target, QString* e) {
                               return writeGifFile(renderDragonFrame(i, scale), target, e);
                           });
        jobs << single(atScale("Grafica/dragon.gif", scale), hashOf(keyAt({"dragon", art}, scale)),
                       scale, [scale](const QString& target, QString* e) {
                           return writeGifFile(renderDragonPicture(scale), target, e);
                       });
        jobs << single(atScale("Grafica/DragonPoster.jpg", scale),
                       hashOf(keyAt({"poster", art, fontHex}, scale)), 2 * scale,
                       [kai, scale](const QString& target, QString* e) {
                           return writeImage(renderPoster(kai, scale), target, "JPEG", e);
                       });
    }

    const QString arphic = strokeDir.filePath("ARPHICPL.TXT");
    jobs << single(
        "LICENSES/ARPHICPL.TXT", hashOf({"copy"}, readFile(arphic)), 1,
        [arphic](const QString& target, QString* e) { return copyText(arphic, target, e); });
    // The copyrights of the font, of the voice data in the sounds and of
    // the program that shaped them, as Debian gives them.
    for (const auto& [copyright, from] :
         {std::pair{QStringLiteral("LICENSES/fonts-arphic-ukai.copyright"),
                    QStringLiteral("/usr/share/doc/fonts-arphic-ukai/copyright")},
          std::pair{QStringLiteral("LICENSES/espeak-ng.copyright"),
                    QStringLiteral("/usr/share/doc/espeak-ng-data/copyright")},
          std::pair{QStringLiteral("LICENSES/praat.copyright"),
                    QStringLiteral("/usr/share/doc/praat/copyright")}})
        if (QFile::exists(from))
            jobs << single(
                copyright, hashOf({"copy"}, readFile(from)), 1,
                [from](const QString& target, QString* e) { return copyText(from, target, e); });
    jobs << single(
        "LICENSES/README.txt", hashOf({"text"}, kAttribution), 1,
        [](const QString& target, QString* e) { return writeText(kAttribution, target, e); });
    Q_INIT_RESOURCE(licences);
    for (const char* text : {"GPL-3.0.txt", "CC-BY-SA-4.0.txt"}) {
        const QString from = QStringLiteral(":/licences/") + text;
        jobs << single(
            QStringLiteral("LICENSES/") + text, hashOf({"copy"}, readFile(from)), 1,
            [from](const QString& target, QString* e) { return copyText(from, target, e); });
    }

    // Leave out what is already there from the same inputs.
    QHash<QString, Measured> measured;
    const QMap<QString, QByteArray> manifest = readManifest(options.out, &measured);
    QMap<QString, QByteArray> next;
    auto upToDate = [&](const Output& output) {
        if (manifest.value(output.path) != output.hash ||
            !QFileInfo::exists(out.filePath(output.path)))
            return false;
        next.insert(output.path, output.hash);
        ++report->upToDate;
        return true;
    };
    QList<Job> soundJobs;
    QList<QList<Speech>> speechBatches;
    for (const auto& [output, speech] : std::as_const(sounds)) {
        if (upToDate(output))
            continue;
        if (soundJobs.isEmpty() || soundJobs.last().outputs.size() == kSoundsPerRun) {
            soundJobs << Job{};
            speechBatches << QList<Speech>();
        }
        soundJobs.last().outputs << output;
        soundJobs.last().weight += 3;
        speechBatches.last() << speech;
    }
    for (int i = 0; i < soundJobs.size(); ++i)
        soundJobs[i].make = [said = speechBatches[i]](const QStringList& targets, QString* e) {
            return encodeSounds(said, targets, e);
        };
    QList<Job> filmJobs;
    QList<QList<StrokeData>> strokeBatches;
    for (const auto& [output, strokes] : std::as_const(films)) {
        if (upToDate(output))
            continue;
        if (filmJobs.isEmpty() || filmJobs.last().outputs.size() == kFilmsPerRun) {
            filmJobs << Job{};
            strokeBatches << QList<StrokeData>();
        }
        filmJobs.last().outputs << output;
        filmJobs.last().weight += 12;
        strokeBatches.last() << strokes;
    }
    for (int i = 0; i < filmJobs.size(); ++i)
        filmJobs[i].make = [batch = strokeBatches[i]](const QStringList& targets, QString* e) {
            QList<QList<QImage>> frames;
            for (const StrokeData& strokes : batch)
                frames << renderStrokeFilm(strokes);
            return encodeFilms(frames, targets, e);
        };
    // Heavy batches first and mixed, so that the estimate settles early.
    QList<Job> pending;
    for (int i = 0; i < std::max(soundJobs.size(), filmJobs.size()); ++i) {
        if (i < filmJobs.size())
            pending << filmJobs[i];
        if (i < soundJobs.size())
            pending << soundJobs[i];
    }
    for (const Job& job : std::as_const(jobs))
        if (!upToDate(job.outputs.first()))
            pending << job;
    int totalFiles = 0;
    qint64 totalWeight = 0;
    for (const Job& job : std::as_const(pending)) {
        totalFiles += int(job.outputs.size());
        totalWeight += job.weight;
    }
    report->total = report->upToDate + totalFiles;
    report->built = totalFiles;

    // Files made for rows that are gone.
    for (auto it = manifest.cbegin(); it != manifest.cend(); ++it)
        if (!madeFrom.contains(it.key()) &&
            (it.key().startsWith("Grafemi/") || it.key().startsWith("Suoni/") ||
             it.key().startsWith("Filmati/")) &&
            QFile::remove(out.filePath(it.key())))
            ++report->removed;

    QMutex lock;
    QString firstError;
    std::atomic<bool> failed = false;
    std::atomic<int> done = 0;
    std::atomic<qint64> doneWeight = 0;
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, options.jobs));
    for (const Job& job : std::as_const(pending)) {
        pool.start([&, job]() {
            if (failed)
                return;
            // Written aside and renamed, so an interrupted run leaves no
            // half file under the real name.
            QStringList parts;
            for (const Output& output : job.outputs) {
                const QString target = out.filePath(output.path);
                QDir().mkpath(QFileInfo(target).absolutePath());
                parts << target + ".part";
            }
            QString why;
            bool ok = job.make(parts, &why);
            for (int i = 0; i < parts.size(); ++i) {
                const QString target = out.filePath(job.outputs[i].path);
                if (ok) {
                    QFile::remove(target);
                    ok = QFile::rename(parts[i], target);
                    if (!ok)
                        why = QStringLiteral("cannot rename %1").arg(parts[i]);
                } else {
                    QFile::remove(parts[i]);
                }
            }
            QMutexLocker guard(&lock);
            if (ok) {
                for (const Output& output : job.outputs)
                    next.insert(output.path, output.hash);
            } else if (!failed.exchange(true)) {
                firstError = QStringLiteral("%1: %2").arg(job.outputs.first().path, why);
            }
            done += int(job.outputs.size());
            doneWeight += job.weight;
        });
    }
    Progress progress(options.progress);
    while (!pool.waitForDone(250))
        progress.show(done, totalFiles, doneWeight, totalWeight);
    progress.show(done, totalFiles, doneWeight, totalWeight, true);

    // Measured once, after it is made, the figures of a sound stay in the
    // manifest, so a run that makes nothing measures nothing.
    QList<ContourFigures> figures;
    QString measureError;
    const QString measureKey =
        QStringList{QString::number(kFiguresVersion), praat, measureScriptText}.join('\n');
    const bool measuredAll = figuresOf(out, toneSounds, measureKey, failed ? 0 : options.jobs,
                                       options.progress, &measured, &figures, &measureError);
    QString manifestError;
    if (!writeManifest(options.out, next, measured, &manifestError)) {
        *error = manifestError;
        return false;
    }
    if (failed) {
        *error = firstError;
        return false;
    }
    if (!measuredAll) {
        *error =
            QStringLiteral("check: cannot measure the pitch of the sounds: %1").arg(measureError);
        return false;
    }
    if (!options.programArt.isEmpty()) {
        const QDir artDir(options.programArt);
        if (!QDir().mkpath(options.programArt) ||
            !writeGifFile(renderStartPicture(kai), artDir.filePath("start.gif"), error) ||
            !writeGifFile(renderStartPicture(kai, kHighDensity),
                          artDir.filePath(atScale("start.gif", kHighDensity)), error) ||
            !writeImage(renderProgramIcon(kai), artDir.filePath("icon.png"), "PNG", error))
            return false;
    }
    if (!checkFolder(options.out, rows, error))
        return false;
    const QStringList faults = toneFaults(toneSounds, figures, &report->toneFigures);
    if (!faults.isEmpty()) {
        *error = "check: the tone contour does not hold in\n  " + faults.join("\n  ");
        return false;
    }
    return true;
}
