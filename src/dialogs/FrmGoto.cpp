// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FrmGoto.h"

#include "app/FrmMain.h"
#include "platform/Platform.h"
#include "quiz/Module1.h"
#include "ui_FrmGoto.h"

FrmGoto::FrmGoto(FrmMain& main) : ui(std::make_unique<Ui::FrmGoto>()), m_main(main) {
    ui->setupUi(this);
    // The dialog has no title of its own; an empty one would make the
    // window system show the application's name instead.
    setWindowTitle(QStringLiteral(" "));
    setAttribute(Qt::WA_DeleteOnClose);
    // The box is made for three digits; the toolkit's inner margin would
    // scroll the first one out of sight.
    ui->TxtVai->setTextMargins(-2, 0, -2, 0);
    connect(ui->TxtVai, &QLineEdit::textChanged, this, &FrmGoto::TxtVai_Change);
    connect(ui->CmdVai, &QPushButton::clicked, this, &FrmGoto::CmdVai_Click);
}

FrmGoto::~FrmGoto() = default;

double FrmGoto::numericValue(const QString& text) {
    double value = 0;
    for (const QChar c : trimSpaces(text)) {
        if (!c.isDigit() || c.unicode() > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

void FrmGoto::focusBox() {
    // The closed message box may leave no window active (there is no window
    // manager to hand activation back), so take it back too.
    activateWindow();
    ui->TxtVai->setFocus();
}

void FrmGoto::TxtVai_Change() {
    if (VerificaCaratteri(QStringLiteral("1234567890"), trimSpaces(ui->TxtVai->text())))
        return;
    Platform::msgBox(QStringLiteral("Il campo può contenere solo numeri!"), Platform::vbCritical,
                     QStringLiteral("Errore!"));
    ui->TxtVai->setText(QString());
    focusBox();
}

void FrmGoto::CmdVai_Click() {
    const double x = numericValue(ui->TxtVai->text()) - 1;
    if (x > m_main.CountRec - 1 || x < 0 || x > m_main.UpperRec - 1) {
        Platform::msgBox(QStringLiteral("Valore fuori intervallo!"), Platform::vbCritical);
        m_main.NumRec = 0;
        ui->TxtVai->setText(QString());
        focusBox();
        return;
    }
    m_main.PosStart = QString::number(static_cast<int>(x));
    m_main.NumRec = static_cast<int>(x);
    FrmMain& main = m_main;
    close(); // deleted once control is back in the event loop
    main.CmdNewGraf_Click();
}
