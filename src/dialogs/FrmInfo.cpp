// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FrmInfo.h"

#include "ui_FrmInfo.h"

#include <QApplication>
#include <QStringList>
#include <QTextDocument>
#include <QTextOption>

namespace {

const QString Crlf = QStringLiteral("\r\n");

QString shown(QString text) {
    return text.replace(Crlf, QStringLiteral("\n"));
}

} // namespace

QString FrmInfo::titleText() {
    return QStringLiteral("Tavorin 4.2") + Crlf + QStringLiteral("2009") + Crlf;
}

QString FrmInfo::creditsText() {
    const QStringList lines{
        QStringLiteral("CREDITS"),
        QStringLiteral("La grafica dei caratteri è tratta dal testo:"),
        QStringLiteral("\"AR PL UKai\" e \"Make Me a Hanzi\""),
        QStringLiteral("Arphic Technology Co., Ltd., Taipei, Arphic Public License, 1999 (licenza "
                       "in LICENSES/ARPHICPL.TXT)"),
        QString(),
        QStringLiteral("Speakeraggio a cura di espeak-ng, sintesi vocale e voce cmn-latn-pinyin."),
        QString(),
        QStringLiteral(
            "Si ringraziano gli allievi del corso di cinese elementare A.A. 2007-2008 che "),
        QStringLiteral("hanno collaborato alla realizzazione di parte del progetto."),
        QString(),
        QStringLiteral("Progetto a cura di Progetto Tavorin e contributori"),
        QString(),
        QStringLiteral("Per segnalazioni e suggerimenti riguardanti il testo cinese scrivere a"),
        QStringLiteral("le segnalazioni del progetto Tavorin"),
        QString(),
        QStringLiteral("Per bugs e suggerimenti relativi al programma scrivere a "),
        QStringLiteral("le segnalazioni del progetto Tavorin"),
    };
    // Eighteen lines: the last is empty, so the text ends with a line break.
    return lines.join(Crlf) + Crlf;
}

FrmInfo::FrmInfo() : ui(std::make_unique<Ui::FrmInfo>()) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->TxtTitle->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    ui->TxtTitle->setPlainText(shown(titleText()));
    ui->TxtCredits->setPlainText(shown(creditsText()));
    QPalette title = ui->TxtTitle->palette();
    // The platform's menu colour behind the title.
    title.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
    ui->TxtTitle->setPalette(title);
}

FrmInfo::~FrmInfo() = default;
