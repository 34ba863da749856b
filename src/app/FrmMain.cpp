// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FrmMain.h"

#include "dialogs/FrmGoto.h"
#include "dialogs/FrmInfo.h"
#include "media/FrmPlay.h"
#include "platform/Platform.h"
#include "platform/PlatformError.h"
#include "ui_FrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

namespace {

// Lets the window's menu shortcuts act while a text box has the focus: a
// line edit would otherwise keep Ctrl+C (copy) and friends for itself.
class MenuShortcutsFirst : public QObject {
public:
    MenuShortcutsFirst(QMainWindow* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            const QKeySequence pressed(key->keyCombination());
            const auto actions = m_window->findChildren<QAction*>();
            for (QAction* action : actions) {
                if (action->isEnabled() && !action->shortcut().isEmpty() &&
                    action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
                    event->ignore();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QMainWindow* m_window;
};

// Escape closes the tone list before the key has found its shortcut, and
// then finds the window's clear-all: the key is the list's alone. The list
// is made on first use, as a child of the box; it is the child that is a
// window of its own (the toolkit may have made it already).
class ListKeepsEscape : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ChildAdded)
            static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
        else if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
                 static_cast<QWidget*>(watched)->isWindow() &&
                 static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Recognising a picture from its content asks every installed image plugin in
// turn, loading each one and the libraries behind it (TIFF, MNG, WebP, SVG)
// on the first picture. The program's pictures are GIF and JPEG: naming
// those from their signature loads only their own plugin. Anything else is
// still recognised from its content, whatever the file's name.
QByteArray formatFromSignature(QIODevice& device) {
    const QByteArray head = device.peek(8);
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    if (head.startsWith("\xFF\xD8\xFF"))
        return QByteArrayLiteral("jpeg");
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return QByteArrayLiteral("png");
    return {};
}

// What `read` takes from a reader of the picture file, its format named from
// its signature; nothing when the file does not open.
template <class Read> auto fromReader(const QString& file, Read read) {
    QFile device(file);
    if (!device.open(QIODevice::ReadOnly))
        return decltype(read(std::declval<QImageReader&>()))();
    const QByteArray format = formatFromSignature(device);
    QImageReader reader(&device, format);
    // A named format still has the other plugins loaded unless the reader is
    // told not to look any further.
    reader.setAutoDetectImageFormat(format.isEmpty());
    reader.setDecideFormatFromContent(format.isEmpty());
    return read(reader);
}

QImage readPicture(const QString& file) {
    return fromReader(file, [](QImageReader& reader) { return reader.read(); });
}

// The size a picture file declares, from its header alone.
QSize declaredSize(const QString& file) {
    return fromReader(file, [](QImageReader& reader) { return reader.size(); });
}

// "<name>@2x.<ext>" beside "<name>.<ext>": the toolkit's name for the same
// picture drawn at twice the size.
QString doubleSizePath(const QString& programPath) {
    const qsizetype slash = std::max(programPath.lastIndexOf(u'\\'), programPath.lastIndexOf(u'/'));
    const qsizetype dot = programPath.lastIndexOf(u'.');
    return QString(programPath).insert(dot > slash ? dot : programPath.size(), u"@2x");
}

// The program's icon. Set here rather than in the form: a PNG read by name
// has every installed image plugin loaded to ask whether it reads PNG,
// before the built-in reader gets it. Named with its format and without
// detection it goes straight to the built-in reader.
QIcon programIcon() {
    QImageReader reader(QStringLiteral(":/icon.png"), QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

} // namespace

// The start picture and the icon are compiled into the static library; its
// resources must be registered by hand (outside any namespace).
static void registerResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)registered;
}

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::FrmMain>()) {
    registerResources();
    ui->setupUi(this);
    setWindowIcon(programIcon());
    // The layout is absolute and made for one client size.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui->TxtImmTn->setCurrentText(QStringLiteral("(Tono)"));

    m_data.bind(Field::Sillaba, [this](const QString& v) { ui->TxtSolSill->setText(v); });
    m_data.bind(Field::Tono, [this](const QString& v) { ui->TxtSolTn->setText(v); });
    m_data.bind(Field::Significato, [this](const QString& v) { ui->TxtSolSign->setPlainText(v); });
    // The notes box is filled only while it is on show (the answer check
    // shows it before it refreshes it): laid out while hidden, its Chinese
    // text would load the Chinese font at start-up for nothing.
    m_data.bind(Field::Note, [this](const QString& v) {
        if (!ui->TxtNote->isHidden())
            ui->TxtNote->setPlainText(v);
    });

    auto* filter = new MenuShortcutsFirst(this);
    for (QWidget* box :
         std::initializer_list<QWidget*>{ui->TxtImmSill, ui->TxtImmTn, ui->TxtImmTn->lineEdit(),
                                         ui->TxtSolSill, ui->TxtSolTn, ui->TxtSolSign, ui->TxtNote})
        box->installEventFilter(filter);
    auto* listFilter = new ListKeepsEscape(this);
    ui->TxtImmTn->installEventFilter(listFilter);
    for (QObject* child : ui->TxtImmTn->children())
        child->installEventFilter(listFilter);

    connectHandlers();
}

FrmMain::~FrmMain() {
    // Windows without an owner are ours to release.
    delete m_frmPlay.data();
    delete m_frmGoto.data();
    delete m_frmInfo.data();
}

FrmPlay* FrmMain::loadedFrmPlay() const {
    return m_frmPlay.data();
}
FrmGoto* FrmMain::loadedFrmGoto() const {
    return m_frmGoto.data();
}
FrmInfo* FrmMain::loadedFrmInfo() const {
    return m_frmInfo.data();
}

void FrmMain::onMenu(QAction* action, void (FrmMain::*handler)()) {
    connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
        if (action->isCheckable())
            action->setChecked(!checked);
        (this->*handler)();
    });
}

void FrmMain::connectHandlers() {
    connect(ui->CmdNewGraf, &QToolButton::clicked, this, &FrmMain::CmdNewGraf_Click);
    connect(ui->CmdMatch, &QToolButton::clicked, this, &FrmMain::CmdMatch_Click);
    connect(ui->CmdCanc, &QToolButton::clicked, this, &FrmMain::CmdCanc_Click);
    connect(ui->CmdExit, &QToolButton::clicked, this, &FrmMain::CmdExit_Click);
    connect(ui->CmdSnd, &QToolButton::clicked, this, &FrmMain::CmdSnd_Click);
    connect(ui->CmdFlm, &QToolButton::clicked, this, &FrmMain::CmdFlm_Click);
    connect(ui->TxtImmTn, &QComboBox::editTextChanged, this, &FrmMain::TxtImmTn_Change);

    // The clear-all button answers to Escape of its own (Enter would wipe
    // the answer being typed), only while it is enabled.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (ui->CmdCanc->isEnabled())
            CmdCanc_Click();
    });

    onMenu(ui->MnuNew, &FrmMain::MnuNew_Click);
    onMenu(ui->MnuSlv, &FrmMain::MnuSlv_Click);
    onMenu(ui->MnuCanc, &FrmMain::MnuCanc_Click);
    onMenu(ui->MnuExit, &FrmMain::MnuExit_Click);
    onMenu(ui->MnuSeq, &FrmMain::MnuSeq_Click);
    onMenu(ui->MnuRnd, &FrmMain::MnuRnd_Click);
    onMenu(ui->MnuStart, &FrmMain::MnuStart_Click);
    onMenu(ui->MnuLev1, &FrmMain::MnuLev1_Click);
    onMenu(ui->MnuLev2, &FrmMain::MnuLev2_Click);
    onMenu(ui->MnuSR, &FrmMain::MnuSR_Click);
    onMenu(ui->MnuLG, &FrmMain::MnuLG_Click);
    onMenu(ui->MnuLB, &FrmMain::MnuLB_Click);
    onMenu(ui->MnuCJ, &FrmMain::MnuCJ_Click);
    onMenu(ui->MnuRD, &FrmMain::MnuRD_Click);
    onMenu(ui->MnuMB, &FrmMain::MnuMB_Click);
    onMenu(ui->MnuVS, &FrmMain::MnuVS_Click);
    onMenu(ui->MnuHD, &FrmMain::MnuHD_Click);
    onMenu(ui->MnuCM, &FrmMain::MnuCM_Click);
    onMenu(ui->MnuSfd, &FrmMain::MnuSfd_Click);
    onMenu(ui->MnuInfo, &FrmMain::MnuInfo_Click);
}

bool FrmMain::Form_Load() {
    objFSO = std::make_unique<FileSystemObject>(Platform::appPath());
    PercApp = objFSO->appFolder();
    PercDB = PercApp + QStringLiteral("\\DBGrafemi1.mdb");
    m_data.setDatabaseName(PercDB);
    m_data.setConnect(QStringLiteral("Access 2000;pwd=582317"));
    m_data.setRecordSource(QStringLiteral("Tabella"));
    try {
        m_data.refresh(*objFSO);
        if (m_data.recordCount() == 0)
            throw PlatformError(
                PlatformError::NoCurrentRecord,
                QStringLiteral("Impossibile aprire il database:\n%1\n\nLa tabella \"Tabella\" "
                               "è vuota.")
                    .arg(QDir::toNativeSeparators(m_data.openedFile())));
        m_data.moveLast();
        if (m_data.recordCount() > MaxRecordCount)
            throw PlatformError(PlatformError::Overflow,
                                QStringLiteral("Impossibile aprire il database:\n%1\n\nLa tabella "
                                               "\"Tabella\" ha più di %2 righe.")
                                    .arg(QDir::toNativeSeparators(m_data.openedFile()))
                                    .arg(MaxRecordCount));
    } catch (const PlatformError& error) {
        Platform::msgBox(error.description(), Platform::vbCritical);
        return false;
    }
    CountRec = m_data.recordCount();
    UpperRec = 225;
    Theme = PercApp + QStringLiteral("\\Grafica\\Temi\\SquareRed");
    ChngThm(QStringLiteral("&H0000CE"));
    return true;
}

std::optional<QColor> FrmMain::colorFromText(const QString& colorText) {
    if (colorText.size() < 3 || colorText.size() > 8 ||
        !colorText.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive))
        return std::nullopt;
    // Digits only: the number parser would also take white space, a sign, a
    // "0x" and stop quietly at a NUL character.
    uint value = 0;
    for (const QChar c : QStringView(colorText).mid(2)) {
        const char16_t u = c.unicode();
        uint digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    // 0x00BBGGRR: the lowest byte is red.
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QPixmap FrmMain::pictureOrError(const QString& programPath) const {
    const QString shown = objFSO->relativePart(programPath);
    const std::optional<QString> file = objFSO->resolveFile(programPath);
    if (!file)
        throw PlatformError(PlatformError::FileNotFound,
                            QStringLiteral("File non trovato: ") + shown);
    // On a screen of more than one device pixel per pixel, the double-size
    // picture beside the file, when there is one, is drawn at the file's
    // size. One of another size, or unreadable, is passed over.
    if (devicePixelRatioF() > 1) {
        if (const std::optional<QString> sharp = objFSO->resolveFile(doubleSizePath(programPath))) {
            QImage image = readPicture(*sharp);
            const QSize size = declaredSize(*file);
            if (!image.isNull() && size.isValid() && image.size() == 2 * size) {
                image.setDevicePixelRatio(2);
                return QPixmap::fromImage(image);
            }
        }
    }
    const QImage image = readPicture(*file);
    if (image.isNull())
        throw PlatformError(PlatformError::InvalidPicture,
                            QStringLiteral("Immagine non valida: ") + shown);
    return QPixmap::fromImage(image);
}

std::optional<QPixmap> FrmMain::loadPicture(const QString& programPath) const {
    try {
        return pictureOrError(programPath);
    } catch (const PlatformError&) {
        return std::nullopt;
    }
}

void FrmMain::loadButtonPicture(QToolButton* button, const QString& programPath,
                                QStringList& missing) {
    if (const auto picture = loadPicture(programPath))
        button->setIcon(QIcon(*picture));
    else
        missing << objFSO->relativePart(programPath);
}

void FrmMain::reportMissingPictures(const QStringList& missing) {
    if (missing.isEmpty())
        return;
    Platform::msgBox(QStringLiteral("Immagine non trovata:\n") + missing.join(u'\n'),
                     Platform::vbCritical);
}

void FrmMain::ChngThm(const QString& ColorLine) {
    QStringList missing;
    loadButtonPicture(ui->CmdNewGraf,
                      Theme + (ui->MnuSeq->isChecked() ? QStringLiteral("\\Refresh.gif")
                                                       : QStringLiteral("\\Wizard.gif")),
                      missing);
    loadButtonPicture(ui->CmdCanc, Theme + QStringLiteral("\\Trash.gif"), missing);
    loadButtonPicture(ui->CmdExit, Theme + QStringLiteral("\\Close.gif"), missing);
    loadButtonPicture(ui->CmdFlm, Theme + QStringLiteral("\\Write.gif"), missing);
    loadButtonPicture(ui->CmdMatch, Theme + QStringLiteral("\\Match.gif"), missing);
    loadButtonPicture(ui->CmdSnd, Theme + QStringLiteral("\\Sound.gif"), missing);

    if (const std::optional<QColor> accent = colorFromText(ColorLine)) {
        for (LineShape* line : {ui->Line1, ui->Line2, ui->Line3, ui->Line4})
            line->setColor(*accent);
        ui->RiqGrafema->setColor(*accent);
        for (QWidget* label : std::initializer_list<QWidget*>{ui->LblLev, ui->LblPos}) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, *accent);
            label->setPalette(palette);
        }
        for (QWidget* box : std::initializer_list<QWidget*>{ui->TxtImmSill, ui->TxtImmTn}) {
            QPalette palette = box->palette();
            palette.setColor(QPalette::Active, QPalette::Text, *accent);
            palette.setColor(QPalette::Inactive, QPalette::Text, *accent);
            box->setPalette(palette);
        }
    }
    reportMissingPictures(missing);
}

void FrmMain::placeByMain(QWidget& window) {
    window.winId(); // the window-system window the hint belongs to
    if (window.windowHandle() && windowHandle())
        window.windowHandle()->setTransientParent(windowHandle());
}

void FrmMain::setPositionLabel(const QString& text) {
    ui->LblPos->setText(text);
    ui->LblPos->adjustSize();
}

void FrmMain::CmdExit_Click() {
    shutdown();
}

void FrmMain::MnuExit_Click() {
    CmdExit_Click();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // Closing is never refused; the nested close that shutdown() itself
    // causes finds the shutdown under way. During the dragon it waits for
    // the end of the frame on screen.
    if (m_animating && !m_shuttingDown) {
        m_exitWanted = true;
        event->ignore();
        return;
    }
    event->accept();
    if (!m_shuttingDown)
        shutdown();
}

void FrmMain::shutdown() {
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    close();
    // Unloading a window runs its own unload handler (the media window
    // stops its player there).
    for (QWidget* window : std::initializer_list<QWidget*>{m_frmGoto, m_frmInfo, m_frmPlay}) {
        if (window) {
            window->close();
            delete window;
        }
    }
    Platform::endProgram();
}
