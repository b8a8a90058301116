#include "ui/frmSetup.h"

#include "link/Estacion.h"
#include "ui/Accesibilidad.h"
#include "ui/Iconos.h"
#include "ui/frmKoltChat.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kolt::ui {

using config::Variante;

namespace {

const char* const kBW[] = {"500", "2300", "2750"};

QLineEdit* Campo(QWidget* padre, const QString& nombre)
{
    auto* t = new QLineEdit(padre);
    t->setObjectName(nombre);
    return t;
}

QGroupBox* Marco(const QString& nombre, const QString& titulo)
{
    auto* g = new QGroupBox(titulo);
    g->setObjectName(nombre);
    return g;
}

} // namespace

frmSetup::frmSetup(link::Estacion& estacion, QWidget* parent) : QDialog(parent), m_logica(estacion)
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup"));
    setWindowIcon(QIcon(Imagen(QStringLiteral("Rueda"), 32)));
    Construir();
    m_logica.Cargar();
    MostrarCampos();
    GestionarModo();
    PrepararTeclado();
}

// The fields are built in reading order, which is their tab order; here
// each gets the name its frame and label give it, and the dialog opens on
// the chosen variant.
void frmSetup::PrepararTeclado()
{
    for (Variante v : config::kVariantes) {
        const int i = config::Indice(v);
        const QString marco = QStringLiteral("KOLT %1 ").arg(config::NombreDe(v));
        Nombrar(m_txtHost[i], marco + QStringLiteral("Host"));
        Nombrar(m_txtPuerto[i], marco + QStringLiteral("Command Port"), m_txtPuerto[i]->toolTip());
        Nombrar(m_txtDatos[i], marco + QStringLiteral("Data Port"),
                QStringLiteral("The command port plus one"));
        Nombrar(m_txtRuta[i], m_fraRuta[i]->title());
    }
    Nombrar(m_txtMyCallSign, QStringLiteral("My Call Sign"));
    Nombrar(m_txtHostKISS, QStringLiteral("KISS Host"));
    Nombrar(m_txtPuertoKISS, QStringLiteral("KISS Port"));
    Nombrar(m_txtFolder, QStringLiteral("Download Folder"));
    Nombrar(m_cmdPath, QStringLiteral("Change"),
            QStringLiteral("Pick the folder for received files"));
    QRadioButton* primero = m_optVariante[0];
    for (QRadioButton* o : m_optVariante)
        if (o->isChecked()) primero = o;
    primero->setFocus();
}

void frmSetup::Construir()
{
    auto* principal = new QVBoxLayout(this);

    auto* fila = new QHBoxLayout;
    auto* fraModo = Marco(QStringLiteral("fraModo"), QStringLiteral("KOLT Mode"));
    auto* modo = new QVBoxLayout(fraModo);
    const char* const nombresModo[] = {"optKOLTHF", "optKOLTFM1200", "optKOLTSAT"};
    for (Variante v : config::kVariantes) {
        const int i = config::Indice(v);
        m_optVariante[i] =
            new QRadioButton(QStringLiteral("KOLT %1").arg(config::NombreDe(v)), fraModo);
        m_optVariante[i]->setObjectName(QString::fromLatin1(nombresModo[i]));
        modo->addWidget(m_optVariante[i]);
        connect(m_optVariante[i], &QRadioButton::clicked, this, &frmSetup::GestionarModo);
    }
    fila->addWidget(fraModo);

    m_fraBW = Marco(QStringLiteral("fraBW"), QStringLiteral("KOLT HF Bandwitdh"));
    auto* bw = new QVBoxLayout(m_fraBW);
    const char* const captionsBW[] = {"500 Hz (Narrow)", "2300 Hz (Standard)",
                                      "2750 Hz (Tactical)"};
    for (int i = 0; i < 3; ++i) {
        m_optBW[i] = new QRadioButton(QString::fromLatin1(captionsBW[i]), m_fraBW);
        m_optBW[i]->setObjectName(QStringLiteral("opt%1").arg(kBW[i]));
        bw->addWidget(m_optBW[i]);
    }
    fila->addWidget(m_fraBW);

    auto* fraCall = Marco(QStringLiteral("fraCallSign"), QStringLiteral("My Call Sign"));
    auto* call = new QVBoxLayout(fraCall);
    m_txtMyCallSign = Campo(fraCall, QStringLiteral("txtMyCallSign"));
    call->addWidget(m_txtMyCallSign);
    call->addStretch();
    connect(m_txtMyCallSign, &QLineEdit::editingFinished, this,
            [this] { m_txtMyCallSign->setText(m_txtMyCallSign->text().toUpper()); });
    fila->addWidget(fraCall);
    principal->addLayout(fila);

    auto* puertos = new QHBoxLayout;
    for (Variante v : config::kVariantes) {
        const int i = config::Indice(v);
        const QString s = config::NombreDe(v);
        m_fraTCP[i] =
            Marco(QStringLiteral("fra%1TCP").arg(s), QStringLiteral("KOLT %1 TCP").arg(s));
        auto* g = new QGridLayout(m_fraTCP[i]);
        m_txtHost[i] = Campo(m_fraTCP[i], QStringLiteral("txtHost%1").arg(s));
        m_txtPuerto[i] = Campo(m_fraTCP[i], QStringLiteral("txtPuertoComandos%1").arg(s));
        m_txtDatos[i] = Campo(m_fraTCP[i], QStringLiteral("txtPuertoDatos%1").arg(s));
        m_txtPuerto[i]->setToolTip(
            QStringLiteral("TCP Command Port (default: %1)").arg(v == Variante::FM ? 8310 : 8300));
        // Shown for the operator's information: nothing reads it back.
        m_txtDatos[i]->setReadOnly(true);
        g->addWidget(new QLabel(QStringLiteral("Host ")), 0, 0);
        g->addWidget(m_txtHost[i], 0, 1);
        g->addWidget(new QLabel(QStringLiteral("Command Port")), 1, 0);
        g->addWidget(m_txtPuerto[i], 1, 1);
        g->addWidget(new QLabel(QStringLiteral("Data Port")), 2, 0);
        g->addWidget(m_txtDatos[i], 2, 1);
        connect(m_txtPuerto[i], &QLineEdit::textChanged, this,
                [this, i](const QString& t) { m_txtDatos[i]->setText(link::PuertoDatos(t)); });
        puertos->addWidget(m_fraTCP[i]);
    }
    auto* fraKISS = Marco(QStringLiteral("fraKISSTCP"), QStringLiteral("KISS TCP"));
    auto* kiss = new QGridLayout(fraKISS);
    m_txtHostKISS = Campo(fraKISS, QStringLiteral("txtHostKISS"));
    m_txtPuertoKISS = Campo(fraKISS, QStringLiteral("txtPuertoComandosKISS"));
    kiss->addWidget(new QLabel(QStringLiteral("Host ")), 0, 0);
    kiss->addWidget(m_txtHostKISS, 0, 1);
    kiss->addWidget(new QLabel(QStringLiteral("Port")), 1, 0);
    kiss->addWidget(m_txtPuertoKISS, 1, 1);
    kiss->setRowStretch(2, 1);
    puertos->addWidget(fraKISS);
    principal->addLayout(puertos);

    for (Variante v : config::kVariantes) {
        const int i = config::Indice(v);
        const QString s = config::NombreDe(v);
        m_fraRuta[i] = Marco(QStringLiteral("fraRutaKOLT%1").arg(s),
                             QStringLiteral("KOLT %1 Modem location").arg(s));
        auto* l = new QHBoxLayout(m_fraRuta[i]);
        m_txtRuta[i] = Campo(m_fraRuta[i], QStringLiteral("txtKOLT%1Path").arg(s));
        l->addWidget(m_txtRuta[i]);
        principal->addWidget(m_fraRuta[i]);
    }

    auto* fraDescargas = Marco(QStringLiteral("fraDownloads"), QStringLiteral("Downloads"));
    auto* descargas = new QHBoxLayout(fraDescargas);
    m_txtFolder = Campo(fraDescargas, QStringLiteral("txtFolder"));
    m_cmdPath = new QPushButton(QStringLiteral("Change"), fraDescargas);
    m_cmdPath->setObjectName(QStringLiteral("cmdPath"));
    m_cmdPath->setAutoDefault(false);
    descargas->addWidget(m_txtFolder);
    descargas->addWidget(m_cmdPath);
    connect(m_cmdPath, &QPushButton::clicked, this, [this] {
        LeerCampos();
        m_logica.Cambiar();
        m_txtFolder->setText(m_logica.campos().carpeta);
    });
    principal->addWidget(fraDescargas);

    m_chkLaunch = new QCheckBox(QStringLiteral("Automatically launch and close KOLT TNC"), this);
    m_chkLaunch->setObjectName(QStringLiteral("chkLaunch"));
    connect(m_chkLaunch, &QCheckBox::clicked, this, &frmSetup::GestionarModo);
    m_chkDisconnect =
        new QCheckBox(QStringLiteral("Disconnect automatically after sending file"), this);
    m_chkDisconnect->setObjectName(QStringLiteral("chkDisconnect"));
    m_chkLog = new QCheckBox(QStringLiteral("Save Log File"), this);
    m_chkLog->setObjectName(QStringLiteral("chkLog"));
    for (QCheckBox* c : {m_chkLaunch, m_chkDisconnect, m_chkLog})
        principal->addWidget(c);

    auto* botones = new QHBoxLayout;
    botones->addStretch();
    m_cmdOK = new QPushButton(QStringLiteral("Update"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAutoDefault(false);
    botones->addWidget(m_cmdOK);
    botones->addWidget(m_cmdCancel);
    principal->addLayout(botones);
    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmSetup::reject);
    principal->setSizeConstraint(QLayout::SetFixedSize);
}

QRadioButton* frmSetup::optVariante(Variante v) const
{
    return v == Variante::Ninguna ? nullptr : m_optVariante[config::Indice(v)];
}

void frmSetup::MostrarCampos()
{
    const link::CamposSetup& f = m_logica.campos();
    // No option at all when the stored variant is none of the three.
    for (QRadioButton* o : m_optVariante) {
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
    if (f.variante != Variante::Ninguna) optVariante(f.variante)->setChecked(true);
    for (int i = 0; i < 3; ++i) {
        m_optBW[i]->setAutoExclusive(false);
        m_optBW[i]->setChecked(f.anchoBanda == QLatin1String(kBW[i]));
        m_optBW[i]->setAutoExclusive(true);
        m_txtHost[i]->setText(f.host[i]);
        m_txtPuerto[i]->setText(f.puerto[i]);
        m_txtRuta[i]->setText(f.ruta[i]);
    }
    m_txtMyCallSign->setText(f.indicativo);
    m_txtHostKISS->setText(f.hostKISS);
    m_txtPuertoKISS->setText(f.puertoKISS);
    m_txtFolder->setText(f.carpeta);
    m_chkLaunch->setChecked(f.lanzar);
    m_chkDisconnect->setChecked(f.desconectar);
    m_chkLog->setChecked(f.log);
}

void frmSetup::LeerCampos()
{
    link::CamposSetup& f = m_logica.campos();
    f.variante = Variante::Ninguna;
    for (Variante v : config::kVariantes)
        if (optVariante(v)->isChecked()) f.variante = v;
    f.anchoBanda.clear();
    for (int i = 0; i < 3; ++i) {
        if (m_optBW[i]->isChecked()) f.anchoBanda = QString::fromLatin1(kBW[i]);
        f.host[i] = m_txtHost[i]->text();
        f.puerto[i] = m_txtPuerto[i]->text();
        f.ruta[i] = m_txtRuta[i]->text();
    }
    f.indicativo = m_txtMyCallSign->text();
    f.hostKISS = m_txtHostKISS->text();
    f.puertoKISS = m_txtPuertoKISS->text();
    f.carpeta = m_txtFolder->text();
    f.lanzar = m_chkLaunch->isChecked();
    f.desconectar = m_chkDisconnect->isChecked();
    f.log = m_chkLog->isChecked();
}

void frmSetup::GestionarModo()
{
    LeerCampos();
    const link::DisposicionSetup d = m_logica.GestionarModo();
    for (int i = 0; i < 3; ++i) {
        m_fraTCP[i]->setVisible(d.marcoTCP[i]);
        m_fraRuta[i]->setVisible(d.marcoRuta[i]);
    }
    m_fraBW->setVisible(d.marcoAnchoBanda);
}

void frmSetup::Enfocar(link::Campo campo)
{
    const int i = config::Indice(m_logica.campos().variante);
    QLineEdit* t = nullptr;
    switch (campo) {
    case link::Campo::PuertoKISS: t = m_txtPuertoKISS; break;
    case link::Campo::HostKISS: t = m_txtHostKISS; break;
    case link::Campo::Puerto: t = m_txtPuerto[i]; break;
    case link::Campo::Host: t = m_txtHost[i]; break;
    case link::Campo::Indicativo: t = m_txtMyCallSign; break;
    case link::Campo::Ninguno: break;
    }
    if (t) t->setFocus();
}

void frmSetup::reject()
{
    m_logica.Cancelar();
    close();
}

void frmSetup::closeEvent(QCloseEvent* evento)
{
    LeerCampos();
    const link::DialogoSetup::Cierre cierre = m_logica.Cerrar();
    // The checks may have cleaned the call sign and the hosts.
    m_txtMyCallSign->setText(m_logica.campos().indicativo);
    if (!cierre.cerrar) {
        evento->ignore();
        Enfocar(cierre.foco);
        return;
    }
    evento->accept();
    QDialog::done(QDialog::Accepted);
}

void EngancharSetup(frmKoltChat& ventana, link::Estacion& estacion)
{
    QObject::connect(ventana.accion(model::Control::mnuSetup), &QAction::triggered, &ventana,
                     [&ventana, &estacion] {
                         frmSetup setup(estacion, &ventana);
                         setup.exec();
                         ventana.VolverATransmision();
                     });
}

} // namespace kolt::ui
