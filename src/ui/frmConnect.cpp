#include "ui/frmConnect.h"

#include "link/Estacion.h"
#include "ui/Accesibilidad.h"
#include "ui/Iconos.h"
#include "ui/frmKoltChat.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kolt::ui {

using link::CampoConectar;

namespace {

const char* NombreCombo(CampoConectar campo)
{
    switch (campo) {
    case CampoConectar::HF: return "cboConnectHF";
    case CampoConectar::FM: return "cboConnectFM";
    case CampoConectar::SAT: return "cboConnectSAT";
    case CampoConectar::Via1: return "cboVia1";
    case CampoConectar::Via2: return "cboVia2";
    }
    return "";
}

} // namespace

frmConnect::frmConnect(link::Estacion& estacion, QWidget* parent)
    : QDialog(parent), m_logica(estacion.ServiciosDialogoConectar())
{
    setObjectName(QStringLiteral("frmConnect"));
    setWindowTitle(QStringLiteral("Connect"));
    setModal(true);

    auto* label1 = new QLabel(QStringLiteral("Connect with:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_lblVia1 = new QLabel(QStringLiteral("Via1"), this);
    m_lblVia1->setObjectName(QStringLiteral("lblVia1"));
    m_lblVia2 = new QLabel(QStringLiteral("Via2"), this);
    m_lblVia2->setObjectName(QStringLiteral("lblVia2"));
    m_cmdConnect = new QPushButton(QIcon(Imagen(QStringLiteral("Connected"), 32)),
                                   QStringLiteral("Connect"), this);
    m_cmdConnect->setObjectName(QStringLiteral("cmdConnect"));
    m_cmdConnect->setDefault(true);
    connect(m_cmdConnect, &QPushButton::clicked, this, &frmConnect::PulsarConectar);

    auto* rejilla = new QGridLayout(this);
    rejilla->addWidget(label1, 0, 0);
    rejilla->addWidget(m_lblVia1, 1, 0);
    rejilla->addWidget(m_lblVia2, 2, 0);
    rejilla->addWidget(m_cmdConnect, 3, 1, Qt::AlignRight);

    for (CampoConectar campo : link::kCamposConectar) {
        auto* c = new QComboBox(this);
        m_combos[std::size_t(campo)] = c;
        c->setObjectName(QString::fromLatin1(NombreCombo(campo)));
        c->setEditable(true);
        // The lists are the histories; typing never adds to them.
        c->setInsertPolicy(QComboBox::NoInsert);
        // What is typed is what is called: no completion from the history.
        c->setCompleter(nullptr);
        c->setMinimumContentsLength(12);
        c->addItems(m_logica.Lista(campo));
        c->setEditText(m_logica.Texto(campo));
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
        connect(c, &QComboBox::editTextChanged, this,
                [this, campo](const QString& t) { m_logica.FijarTexto(campo, t); });
        // The three targets lie on top of each other: one shows per variant.
        const int fila = campo == CampoConectar::Via1 ? 1 : campo == CampoConectar::Via2 ? 2 : 0;
        rejilla->addWidget(c, fila, 1);
        if (const std::optional<bool> visible = m_logica.Visible(campo)) {
            c->setVisible(*visible);
            if (campo == CampoConectar::Via1) m_lblVia1->setVisible(*visible);
            if (campo == CampoConectar::Via2) m_lblVia2->setVisible(*visible);
        }
    }
    PrepararTeclado(label1);
}

// The fields in reading order, each named as its label reads; the dialog
// opens in the station to call.
void frmConnect::PrepararTeclado(QLabel* label1)
{
    QComboBox* destino = combo(CampoConectar::HF);
    for (CampoConectar campo : {CampoConectar::HF, CampoConectar::FM, CampoConectar::SAT}) {
        Nombrar(combo(campo), QStringLiteral("Connect with"),
                QStringLiteral("The station to call"));
        if (!combo(campo)->isHidden()) destino = combo(campo);
    }
    Nombrar(combo(CampoConectar::Via1), QStringLiteral("Via1"), QStringLiteral("First digipeater"));
    Nombrar(combo(CampoConectar::Via2), QStringLiteral("Via2"),
            QStringLiteral("Second digipeater"));
    label1->setBuddy(destino);
    m_lblVia1->setBuddy(combo(CampoConectar::Via1));
    m_lblVia2->setBuddy(combo(CampoConectar::Via2));
    OrdenTabulacion({combo(CampoConectar::HF), combo(CampoConectar::FM), combo(CampoConectar::SAT),
                     combo(CampoConectar::Via1), combo(CampoConectar::Via2), m_cmdConnect});
    destino->setFocus();
}

frmConnect::~frmConnect()
{
    m_logica.Descargar();
}

void frmConnect::Validar(CampoConectar campo)
{
    m_logica.Validar(campo);
    QComboBox* c = combo(campo);
    if (c->currentText() != m_logica.Texto(campo)) c->setEditText(m_logica.Texto(campo));
}

bool frmConnect::eventFilter(QObject* objeto, QEvent* evento)
{
    if (evento->type() == QEvent::FocusOut) {
        for (CampoConectar campo : link::kCamposConectar) {
            QComboBox* c = combo(campo);
            if (objeto == c || objeto == c->lineEdit()) Validar(campo);
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmConnect::PulsarConectar()
{
    // Enter reaches the button without the field losing the focus: the
    // field is validated as if it had.
    for (CampoConectar campo : link::kCamposConectar) {
        QComboBox* c = combo(campo);
        if (focusWidget() == c || focusWidget() == c->lineEdit()) Validar(campo);
    }
    if (const std::optional<CampoConectar> falla = m_logica.Conectar()) {
        combo(*falla)->setFocus();
        return;
    }
    accept();
    m_logica.AvisarConexion();
}

void frmConnect::done(int resultado)
{
    m_logica.Descargar();
    QDialog::done(resultado);
}

void EngancharConectar(frmKoltChat& ventana, link::Estacion& estacion)
{
    QObject::connect(ventana.accion(model::Control::mnuConnect), &QAction::triggered, &ventana,
                     [&ventana, &estacion] {
                         if (!estacion.PuedeAbrirConectar()) return;
                         frmConnect dialogo(estacion, &ventana);
                         dialogo.exec();
                         ventana.VolverATransmision();
                     });
}

} // namespace kolt::ui
