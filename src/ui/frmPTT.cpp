#include "ui/frmPTT.h"

#include "keying/ControladorPTT.h"
#include "link/Estacion.h"
#include "ui/Accesibilidad.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kolt::ui {

namespace {

// Shows the logic's list; the items are only replaced when they changed,
// so that a list is never rebuilt under the operator's hands for nothing.
void MostrarLista(QComboBox* combo, const keying::ListaDialogo& lista)
{
    const QSignalBlocker bloqueo(combo);
    QStringList actuales;
    for (int i = 0; i < combo->count(); ++i)
        actuales << combo->itemText(i);
    if (actuales != lista.elementos) {
        combo->clear();
        combo->addItems(lista.elementos);
    }
    combo->setCurrentIndex(lista.seleccion);
}

void Marcar(QAbstractButton* boton, bool marcado)
{
    const QSignalBlocker bloqueo(boton);
    boton->setChecked(marcado);
}

template <typename T> T* Control(QWidget* padre, const char* nombre, const QString& caption = {})
{
    auto* w = new T(padre);
    w->setObjectName(QString::fromLatin1(nombre));
    if constexpr (requires { w->setText(caption); })
        if (!caption.isEmpty()) w->setText(caption);
    return w;
}

} // namespace

frmPTT::frmPTT(link::Estacion& estacion, QWidget* parent, QStringList puertos)
    : QDialog(parent), m_estacion(estacion),
      m_logica(estacion.config(), std::move(puertos),
               [&estacion] { estacion.ptt().AjustesCambiados(); })
{
    setObjectName(QStringLiteral("frmPTT"));
    setWindowTitle(QStringLiteral("PTT"));
    setModal(true);
    CrearControles();
    Conectar();
    m_logica.Cargar();
    Redibujar();
    PrepararTeclado();
}

// The controls are built in reading order, which is their tab order; here
// each list gets its label's name, and the dialog opens on the method.
void frmPTT::PrepararTeclado()
{
    Nombrar(findChild<QGroupBox*>(QStringLiteral("FraGlobal")), QStringLiteral("PTT"));
    Nombrar(m_cboMarcas, QStringLiteral("Brand"));
    Nombrar(m_cboModelos, QStringLiteral("Model"));
    Nombrar(m_cboCATCOM, QStringLiteral("Port"), QStringLiteral("Serial port of the CAT commands"));
    Nombrar(m_cboPTTCOM, QStringLiteral("Port"), QStringLiteral("Serial port keyed by RTS or DTR"));
    Nombrar(m_cboBaudios, QStringLiteral("Bauds"));
    Nombrar(m_txtIcomAddress, QStringLiteral("CI-V Address"),
            QStringLiteral("Two hexadecimal digits"));
    m_lblMarca->setBuddy(m_cboMarcas);
    m_lblModel->setBuddy(m_cboModelos);
    m_lblBauds->setBuddy(m_cboBaudios);
    m_lblIcomAddress->setBuddy(m_txtIcomAddress);
    m_lblPuerto->setBuddy(m_cboCATCOM->isHidden() ? m_cboPTTCOM : m_cboCATCOM);
    QRadioButton* metodo = m_optCAT;
    for (QRadioButton* o : {m_optCAT, m_optCOM, m_optVOX})
        if (o->isChecked()) metodo = o;
    metodo->setFocus();
}

void frmPTT::CrearControles()
{
    auto* fraGlobal = new QGroupBox(this);
    fraGlobal->setObjectName(QStringLiteral("FraGlobal"));

    m_fraSeleccionarPTT = Control<QGroupBox>(fraGlobal, "fraSeleccionarPTT");
    m_fraSeleccionarPTT->setTitle(QStringLiteral("PTT Via"));
    m_optCAT = Control<QRadioButton>(m_fraSeleccionarPTT, "optCAT", QStringLiteral("CAT"));
    m_optCOM = Control<QRadioButton>(m_fraSeleccionarPTT, "optCOM", QStringLiteral("COM"));
    m_optVOX = Control<QRadioButton>(m_fraSeleccionarPTT, "optVOX", QStringLiteral("VOX/ZT-Board"));
    auto* via = new QVBoxLayout(m_fraSeleccionarPTT);
    for (QWidget* w : {m_optCAT, m_optCOM, m_optVOX})
        via->addWidget(w);

    m_lblMarca = Control<QLabel>(fraGlobal, "lblMarca", QStringLiteral("Brand:"));
    m_cboMarcas = Control<QComboBox>(fraGlobal, "cboMarcas");
    m_lblModel = Control<QLabel>(fraGlobal, "lblModel", QStringLiteral("Model:"));
    m_cboModelos = Control<QComboBox>(fraGlobal, "cboModelos");
    m_cboModelos->setMaxVisibleItems(20);
    m_lblPuerto = Control<QLabel>(fraGlobal, "lblPuerto", QStringLiteral("Port:"));
    m_cboCATCOM = Control<QComboBox>(fraGlobal, "cboCATCOM");
    m_cboPTTCOM = Control<QComboBox>(fraGlobal, "cboPTTCOM");
    // A device can be typed in (a path under /dev); the logic keeps it.
    for (QComboBox* c : {m_cboCATCOM, m_cboPTTCOM}) {
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        c->setMinimumContentsLength(8);
    }
    m_lblBauds = Control<QLabel>(fraGlobal, "lblBauds", QStringLiteral("Bauds:"));
    m_cboBaudios = Control<QComboBox>(fraGlobal, "cboBaudios");
    m_chkRTS = Control<QCheckBox>(fraGlobal, "chkRTS", QStringLiteral("RTS"));
    m_chkDTR = Control<QCheckBox>(fraGlobal, "chkDTR", QStringLiteral("DTR"));

    m_fraPin = Control<QGroupBox>(fraGlobal, "fraPin");
    m_fraPin->setTitle(QStringLiteral("PTT Pin"));
    m_optRTS = Control<QRadioButton>(m_fraPin, "optRTS", QStringLiteral("RTS"));
    m_optDTR = Control<QRadioButton>(m_fraPin, "optDTR", QStringLiteral("DTR"));
    m_optRTSDTR = Control<QRadioButton>(m_fraPin, "optRTSDTR", QStringLiteral("RTS+DTR"));
    auto* pin = new QHBoxLayout(m_fraPin);
    for (QWidget* w : {m_optRTS, m_optDTR, m_optRTSDTR})
        pin->addWidget(w);

    m_lblIcomAddress =
        Control<QLabel>(fraGlobal, "lblIcomAddress", QStringLiteral("CI-V Address:"));
    m_txtIcomAddress = Control<QLineEdit>(fraGlobal, "txtIcomAddress");
    // Room for the two hex digits, not for a line of text.
    const int ancho = m_txtIcomAddress->fontMetrics().horizontalAdvance(QStringLiteral("WWWW"));
    m_txtIcomAddress->setMaximumWidth(ancho + 12);

    m_cmdOK = Control<QPushButton>(fraGlobal, "cmdOK", QStringLiteral("Close"));
    m_cmdOK->setDefault(true);

    auto* grid = new QGridLayout(fraGlobal);
    int fila = 0;
    grid->addWidget(m_fraSeleccionarPTT, fila++, 0, 1, 2);
    grid->addWidget(m_lblMarca, fila, 0);
    grid->addWidget(m_cboMarcas, fila++, 1);
    grid->addWidget(m_lblModel, fila, 0);
    grid->addWidget(m_cboModelos, fila++, 1);
    // The two port lists share one place; only one of them is ever shown.
    grid->addWidget(m_lblPuerto, fila, 0);
    grid->addWidget(m_cboPTTCOM, fila, 1);
    grid->addWidget(m_cboCATCOM, fila++, 1);
    grid->addWidget(m_lblBauds, fila, 0);
    grid->addWidget(m_cboBaudios, fila++, 1);
    grid->addWidget(m_chkRTS, fila, 0);
    grid->addWidget(m_chkDTR, fila++, 1);
    grid->addWidget(m_fraPin, fila++, 0, 1, 2);
    grid->addWidget(m_lblIcomAddress, fila, 0);
    grid->addWidget(m_txtIcomAddress, fila++, 1);
    grid->addWidget(m_cmdOK, fila++, 0, 1, 2, Qt::AlignRight);

    auto* todo = new QVBoxLayout(this);
    todo->addWidget(fraGlobal);
    // The window follows what is shown, as controls come and go.
    todo->setSizeConstraint(QLayout::SetFixedSize);
}

// Every action goes to the logic, which writes the settings at once; the
// controls are then redrawn from it.
void frmPTT::Conectar()
{
    const std::pair<QRadioButton*, int> vias[] = {{m_optCAT, 1}, {m_optCOM, 2}, {m_optVOX, 3}};
    for (auto [boton, via] : vias)
        connect(boton, &QRadioButton::clicked, this, [this, via] {
            m_logica.SeleccionarVia(via);
            Redibujar();
        });
    const std::pair<QRadioButton*, int> pines[] = {{m_optRTS, 1}, {m_optDTR, 2}, {m_optRTSDTR, 3}};
    for (auto [boton, pin] : pines)
        connect(boton, &QRadioButton::clicked, this, [this, pin] {
            m_logica.SeleccionarPin(pin);
            Redibujar();
        });

    connect(m_cboMarcas, &QComboBox::activated, this, [this](int i) {
        m_logica.SeleccionarMarca(i);
        Redibujar();
    });
    connect(m_cboModelos, &QComboBox::activated, this, [this](int i) {
        m_logica.SeleccionarModelo(i);
        Redibujar();
    });
    connect(m_cboBaudios, &QComboBox::activated, this, [this](int i) {
        m_logica.SeleccionarBaudios(i);
        Redibujar();
    });

    // A port is taken when picked from the list, or when a typed name is
    // committed (Enter, or the focus leaving the list).
    connect(m_cboCATCOM, &QComboBox::activated, this, [this](int i) {
        m_logica.SeleccionarPuertoCAT(m_cboCATCOM->itemText(i));
        Redibujar();
    });
    connect(m_cboPTTCOM, &QComboBox::activated, this, [this](int i) {
        m_logica.SeleccionarPuertoPTT(m_cboPTTCOM->itemText(i));
        Redibujar();
    });
    for (QComboBox* c : {m_cboCATCOM, m_cboPTTCOM})
        connect(c->lineEdit(), &QLineEdit::editingFinished, this, [this] {
            ConfirmarPuertosEscritos();
            Redibujar();
        });

    connect(m_chkRTS, &QCheckBox::clicked, this, [this](bool marcado) {
        m_logica.MarcarRTS(marcado);
        Redibujar();
    });
    connect(m_chkDTR, &QCheckBox::clicked, this, [this](bool marcado) {
        m_logica.MarcarDTR(marcado);
        Redibujar();
    });
    connect(m_txtIcomAddress, &QLineEdit::textEdited, this,
            [this](const QString& texto) { m_logica.EscribirDireccionCIV(texto); });

    connect(m_cmdOK, &QPushButton::clicked, this, &frmPTT::Cerrar);
}

void frmPTT::Redibujar()
{
    MostrarLista(m_cboMarcas, m_logica.Marcas());
    MostrarLista(m_cboModelos, m_logica.Modelos());
    MostrarLista(m_cboBaudios, m_logica.Baudios());
    MostrarLista(m_cboCATCOM, m_logica.PuertosCAT());
    MostrarLista(m_cboPTTCOM, m_logica.PuertosPTT());

    Marcar(m_optCAT, m_logica.Via() == 1);
    Marcar(m_optCOM, m_logica.Via() == 2);
    Marcar(m_optVOX, m_logica.Via() == 3);
    Marcar(m_optRTS, m_logica.Pin() == 1);
    Marcar(m_optDTR, m_logica.Pin() == 2);
    Marcar(m_optRTSDTR, m_logica.Pin() == 3);
    Marcar(m_chkRTS, m_logica.RTS());
    Marcar(m_chkDTR, m_logica.DTR());
    // Rewriting the same text would move the caret while the operator types.
    if (m_txtIcomAddress->text() != m_logica.DireccionCIV())
        m_txtIcomAddress->setText(m_logica.DireccionCIV());

    const keying::VisibilidadPTT v = m_logica.Visibilidad();
    const auto mostrar = [](std::initializer_list<QWidget*> controles, bool visible) {
        for (QWidget* w : controles)
            w->setVisible(visible);
    };
    mostrar({m_lblMarca, m_cboMarcas}, v.marca);
    mostrar({m_lblModel, m_cboModelos}, v.modelo);
    mostrar({m_lblPuerto}, v.puerto);
    mostrar({m_cboCATCOM}, v.puertoCAT);
    mostrar({m_cboPTTCOM}, v.puertoPTT);
    mostrar({m_lblBauds, m_cboBaudios}, v.baudios);
    mostrar({m_chkRTS, m_chkDTR}, v.lineas);
    mostrar({m_fraPin}, v.pin);
    mostrar({m_lblIcomAddress, m_txtIcomAddress}, v.direccionCIV);
}

// A device typed into a port list counts even if the operator closes the
// dialog without pressing Enter first.
void frmPTT::ConfirmarPuertosEscritos()
{
    if (m_cboCATCOM->currentText() != m_logica.PuertosCAT().Seleccionado())
        m_logica.SeleccionarPuertoCAT(m_cboCATCOM->currentText());
    if (m_cboPTTCOM->currentText() != m_logica.PuertosPTT().Seleccionado())
        m_logica.SeleccionarPuertoPTT(m_cboPTTCOM->currentText());
}

void frmPTT::Cerrar()
{
    ConfirmarPuertosEscritos();
    const keying::CierrePTT cierre = m_logica.Cerrar(m_estacion.Cerrando());
    if (!cierre.cerrar) {
        m_estacion.operador().Mensaje(model::Icono::Critico, cierre.aviso);
        m_txtIcomAddress->setFocus();
        return;
    }
    // Gone from the screen first: a port that fails to open is told after
    // the dialog has closed.
    QDialog::done(QDialog::Accepted);
    if (cierre.reabrirPuerto) {
        m_estacion.ptt().AbrirPuertoRadio();
        m_estacion.GuardarConfiguracion();
    }
}

void frmPTT::reject()
{
    Cerrar();
}

} // namespace kolt::ui
