#include "dialogs/FrmGoto.h"

#include "app/FrmMain.h"
#include "platform/Platform.h"
#include "quiz/Module1.h"
#include "ui_FrmGoto.h"

FrmGoto::FrmGoto(FrmMain& main) : ui(std::make_unique<Ui::FrmGoto>()), m_main(main) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
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

void FrmGoto::TxtVai_Change() {
    if (VerificaCaratteri(QStringLiteral("1234567890"), trimSpaces(ui->TxtVai->text())))
        return;
    Platform::msgBox(QStringLiteral("Il campo può contenere solo numeri!"), Platform::vbCritical,
                     QStringLiteral("Errore!"));
    ui->TxtVai->setText(QString());
    ui->TxtVai->setFocus();
}

void FrmGoto::CmdVai_Click() {
    const double x = numericValue(ui->TxtVai->text()) - 1;
    if (x > m_main.CountRec - 1 || x < 0 || x > m_main.UpperRec - 1) {
        Platform::msgBox(QStringLiteral("Valore fuori intervallo!"), Platform::vbCritical);
        m_main.NumRec = 0;
        ui->TxtVai->setText(QString());
        ui->TxtVai->setFocus();
        return;
    }
    m_main.PosStart = QString::number(static_cast<int>(x));
    m_main.NumRec = static_cast<int>(x);
    FrmMain& main = m_main;
    close(); // deleted once control is back in the event loop
    main.CmdNewGraf_Click();
}
