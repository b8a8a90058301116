#include "ui/frmBroadcast.h"

#include "broadcast/DialogoBroadcast.h"
#include "broadcast/EnlaceKISS.h"
#include "link/Estacion.h"
#include "ui/Accesibilidad.h"
#include "ui/Iconos.h"
#include "ui/frmKoltChat.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>

namespace kolt::ui {

namespace {

QFont Courier()
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSize(10);
    return f;
}

QComboBox* CajaVia(const QString& nombre, const QStringList& lista, const QString& texto,
                   QWidget* padre)
{
    auto* c = new QComboBox(padre);
    c->setObjectName(nombre);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert); // the history changes only on a send
    c->setCompleter(nullptr);                // what is typed is what is sent
    c->addItems(lista);
    c->setEditText(texto);
    return c;
}

} // namespace

frmBroadcast::frmBroadcast(link::Estacion& estacion, QWidget* parent)
    : QDialog(parent), m_estacion(estacion)
{
    setObjectName(QStringLiteral("frmBroadcast"));
    setWindowTitle(QStringLiteral("Broadcast"));
    setModal(false);
    const broadcast::ContenidoDialogo d = broadcast::CargarDialogoBroadcast(estacion.config());

    m_txtMensaje = new QPlainTextEdit(this);
    m_txtMensaje->setObjectName(QStringLiteral("txtMensaje"));
    m_txtMensaje->setFont(Courier());
    m_txtMensaje->setTabChangesFocus(true);
    m_txtMensaje->installEventFilter(this);
    m_lblNumeroCaracteres = new QLabel(this);
    m_lblNumeroCaracteres->setObjectName(QStringLiteral("lblNumeroCaracteres"));
    m_lblNumeroCaracteres->setFont(Courier());

    m_lblVia1 = new QLabel(QStringLiteral("Via1"), this);
    m_lblVia1->setObjectName(QStringLiteral("lblVia1"));
    m_lblVia2 = new QLabel(QStringLiteral("Via2"), this);
    m_lblVia2->setObjectName(QStringLiteral("lblVia2"));
    m_cboVia1 = CajaVia(QStringLiteral("cboVia1"), d.listaVia1, d.via1, this);
    m_cboVia2 = CajaVia(QStringLiteral("cboVia2"), d.listaVia2, d.via2, this);
    for (QComboBox* c : {m_cboVia1, m_cboVia2})
        c->lineEdit()->installEventFilter(this);
    for (QWidget* w : std::initializer_list<QWidget*>{m_lblVia1, m_cboVia1, m_lblVia2, m_cboVia2})
        w->setVisible(d.digisVisibles);

    m_cmdEnviar = new QToolButton(this);
    m_cmdEnviar->setObjectName(QStringLiteral("cmdEnviar"));
    m_cmdEnviar->setToolTip(QStringLiteral("Send Broadcast message (ENTER key)"));
    m_cmdEnviar->setIcon(IconoEnviar());
    m_cmdEnviar->setIconSize(QSize(24, 24));
    connect(m_cmdEnviar, &QToolButton::clicked, this, &frmBroadcast::Enviar);

    auto* rejilla = new QGridLayout(this);
    rejilla->addWidget(m_txtMensaje, 0, 0, 1, 5);
    rejilla->addWidget(m_cmdEnviar, 0, 5, Qt::AlignBottom);
    rejilla->addWidget(m_lblVia1, 1, 0);
    rejilla->addWidget(m_cboVia1, 1, 1);
    rejilla->addWidget(m_lblVia2, 1, 2);
    rejilla->addWidget(m_cboVia2, 1, 3);
    rejilla->addWidget(m_lblNumeroCaracteres, 1, 4, 1, 2, Qt::AlignRight);
    rejilla->setColumnStretch(4, 1);
    resize(560, 200);

    connect(m_txtMensaje, &QPlainTextEdit::textChanged, this, &frmBroadcast::AlCambiarMensaje);
    connect(&estacion.modelo(), &model::ModeloVentana::aspectoCambiado, this,
            &frmBroadcast::Recolorear);
    connect(&estacion.kiss(), &broadcast::EnlaceKISS::cierreDialogoPedido, this,
            &frmBroadcast::close);
    Recolorear();
    AlCambiarMensaje();

    Nombrar(m_txtMensaje, QStringLiteral("Message"),
            QStringLiteral("The message to ALL, up to 500 characters; Enter sends it"));
    Nombrar(m_cmdEnviar, QStringLiteral("Send Broadcast message"), m_cmdEnviar->toolTip());
    Nombrar(m_cboVia1, QStringLiteral("Via1"), QStringLiteral("First digipeater"));
    Nombrar(m_cboVia2, QStringLiteral("Via2"), QStringLiteral("Second digipeater"));
    m_lblNumeroCaracteres->setAccessibleDescription(QStringLiteral("Characters of the message"));
    m_lblVia1->setBuddy(m_cboVia1);
    m_lblVia2->setBuddy(m_cboVia2);
    OrdenTabulacion({m_txtMensaje, m_cmdEnviar, m_cboVia1, m_cboVia2});
    m_txtMensaje->setFocus();
}

void frmBroadcast::Recolorear()
{
    QPalette paleta = m_txtMensaje->palette();
    paleta.setColor(QPalette::Base, QColor::fromRgb(m_estacion.modelo().fondo()));
    paleta.setColor(QPalette::Text, QColor::fromRgb(m_estacion.modelo().letra()));
    m_txtMensaje->setPalette(paleta);
}

void frmBroadcast::AlCambiarMensaje()
{
    if (m_limitando) return;
    const QString texto = m_txtMensaje->toPlainText();
    const QString limitado = broadcast::LimitarMensaje(texto);
    if (limitado.size() != texto.size()) {
        // Typing or pasting past the limit keeps what fits and the caret where it was.
        const int caret =
            std::min<int>(m_txtMensaje->textCursor().position(), static_cast<int>(limitado.size()));
        m_limitando = true;
        m_txtMensaje->setPlainText(limitado);
        QTextCursor c = m_txtMensaje->textCursor();
        c.setPosition(caret);
        m_txtMensaje->setTextCursor(c);
        m_limitando = false;
    }
    m_lblNumeroCaracteres->setText(broadcast::ContadorMensaje(limitado));
}

bool frmBroadcast::eventFilter(QObject* objeto, QEvent* evento)
{
    if (objeto == m_txtMensaje && evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            if (!m_cmdEnviar->isHidden()) Enviar();
            return true; // never a line break in a broadcast
        }
    }
    if (evento->type() == QEvent::FocusOut) {
        for (QComboBox* c : {m_cboVia1, m_cboVia2})
            if (objeto == c->lineEdit()) c->setEditText(c->currentText().toUpper());
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmBroadcast::Enviar()
{
    const broadcast::ResultadoEnvio r =
        broadcast::PulsarEnviarBroadcast(m_estacion.kiss(), m_cboVia1->currentText(),
                                         m_cboVia2->currentText(), m_txtMensaje->toPlainText());
    if (r.invalido == broadcast::CampoVia::Via1) m_cboVia1->setFocus();
    if (r.invalido == broadcast::CampoVia::Via2) m_cboVia2->setFocus();
    if (r.cerrar) close();
}

void frmBroadcast::done(int resultado)
{
    if (!m_cerrado) {
        m_cerrado = true;
        broadcast::AlCerrarDialogoBroadcast(m_estacion.kiss(), m_cboVia1->currentText(),
                                            m_cboVia2->currentText());
    }
    QDialog::done(resultado);
    deleteLater(); // the next opening reads the settings afresh
}

void EngancharBroadcast(frmKoltChat& ventana, link::Estacion& estacion)
{
    auto dialogo = std::make_shared<QPointer<frmBroadcast>>();
    QObject::connect(ventana.accion(model::Control::mnuCQ), &QAction::triggered, &ventana,
                     [&estacion] { estacion.kiss().AccionCQ(); });
    QObject::connect(ventana.accion(model::Control::mnuBroadcast), &QAction::triggered, &ventana,
                     [&ventana, &estacion, dialogo] {
                         if (!*dialogo || (*dialogo)->cerrado()) {
                             *dialogo = new frmBroadcast(estacion, &ventana);
                             QObject::connect(*dialogo, &QDialog::finished, &ventana, [&ventana] {
                                 if (ventana.isVisible()) ventana.VolverATransmision();
                             });
                         }
                         (*dialogo)->show();
                         (*dialogo)->raise();
                         (*dialogo)->activateWindow();
                     });
}

} // namespace kolt::ui
