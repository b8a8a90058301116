#include "ui/frmKoltChat.h"

#include "config/ServiciosShell.h"
#include "link/Estacion.h"
#include "transfer/CanalDatos.h"
#include "transfer/TransferenciaArchivos.h"
#include "ui/Accesibilidad.h"
#include "ui/Disposicion.h"
#include "ui/Iconos.h"
#include "ui/PanelEstado.h"
#include "ui/frmAbout.h"
#include "ui/frmBroadcast.h"
#include "ui/frmConnect.h"
#include "ui/frmPTT.h"
#include "ui/frmSetup.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>
#include <QWindow>

namespace kolt::ui {

using model::Control;
using model::Panel;

namespace {

// The model keeps the screen's text with CR LF, as the log saves it; the
// text box wants plain line feeds.
QString ParaPantalla(const QString& texto)
{
    QString t = texto;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QFont FuenteChat(int puntos)
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSize(puntos);
    return f;
}

} // namespace

frmKoltChat::frmKoltChat(link::Estacion& estacion, QWidget* parent)
    : QMainWindow(parent), m_estacion(estacion), m_modelo(estacion.modelo())
{
    InstalarAccesibilidad(); // before any control is asked for its interface
    setObjectName(QStringLiteral("frmKoltChat"));
    setWindowIcon(IconoPrograma());
    CrearMenus();
    CrearControles();
    CrearBarraEstado();
    EngancharBroadcast(*this, estacion);
    EngancharConectar(*this, estacion);
    connect(this, &frmKoltChat::enviarPulsado, this, [this] {
        m_estacion.canalDatos().EnviarTexto();
        VolverATransmision();
    });
    EngancharSetup(*this, estacion);

    connect(&m_modelo, &model::ModeloVentana::recepcionAgregada, this,
            &frmKoltChat::AgregarRecepcion);
    connect(&m_modelo, &model::ModeloVentana::recepcionReemplazada, this,
            &frmKoltChat::ReemplazarRecepcion);
    connect(&m_modelo, &model::ModeloVentana::controlesCambiados, this,
            &frmKoltChat::RedibujarControles);
    connect(&m_modelo, &model::ModeloVentana::panelesCambiados, this,
            &frmKoltChat::RedibujarPaneles);
    connect(&m_modelo, &model::ModeloVentana::aspectoCambiado, this, &frmKoltChat::RedibujarAspecto);
    connect(&m_modelo, &model::ModeloVentana::progresoCambiado, this,
            [this] { m_progressBar->setValue(m_modelo.progreso()); });
    connect(&m_modelo, &model::ModeloVentana::tituloCambiado, this,
            [this] { setWindowTitle(m_modelo.titulo()); });
    connect(&m_modelo, &model::ModeloVentana::focoTransmision, this,
            [this] { m_txtTXChat->setFocus(); });
    connect(&m_modelo, &model::ModeloVentana::transmisionCambiada, this, [this] {
        if (m_txtTXChat->toPlainText() == m_modelo.textoTransmision()) return;
        m_sincronizando = true;
        m_txtTXChat->setPlainText(m_modelo.textoTransmision());
        m_txtTXChat->moveCursor(QTextCursor::End);
        m_sincronizando = false;
    });
    connect(m_txtTXChat, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_sincronizando) m_modelo.FijarTextoTransmision(m_txtTXChat->toPlainText());
    });

    setWindowTitle(m_modelo.titulo());
    ReemplazarRecepcion();
    RedibujarControles();
    RedibujarPaneles();
    RedibujarAspecto();
    PrepararTeclado();
    const double dpi = Dpi();
    resize(APixeles(kAnchoMinimo, dpi), APixeles(kAltoMinimo, dpi));
}

frmKoltChat::~frmKoltChat() = default;

double frmKoltChat::Dpi() const
{
    return logicalDpiX() > 0 ? logicalDpiX() : 96.0;
}

QAction* frmKoltChat::accion(const QString& nombre) const
{
    for (std::size_t i = 0; i < model::kControles; ++i)
        if (m_acciones[i] && model::NombreControl(model::Control(i)) == nombre) return m_acciones[i];
    return findChild<QAction*>(nombre);
}

QAction* frmKoltChat::Accion(QMenu* menu, const QString& nombre, const QString& caption)
{
    QAction* a = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    a->setObjectName(nombre);
    return a;
}

QAction* frmKoltChat::Accion(QMenu* menu, model::Control c, const QString& caption)
{
    QAction* a = Accion(menu, model::NombreControl(c), caption);
    m_acciones[std::size_t(c)] = a;
    return a;
}

void frmKoltChat::CrearMenus()
{
    QMenu* settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    Accion(settings, Control::mnuSetup, QStringLiteral("Chat Setup..."));
    connect(Accion(settings, Control::mnuPTT, QStringLiteral("PTT...")), &QAction::triggered, this,
            [this] {
                frmPTT ptt(m_estacion, this);
                ptt.exec();
                VolverATransmision();
            });
    QMenu* size = settings->addMenu(QStringLiteral("Font Size"));
    size->setObjectName(QStringLiteral("mnuSize"));
    // One item of each group is marked: picking the marked one keeps it so.
    auto* tamanos = new QActionGroup(size);
    for (auto [n, item] : {std::pair{10, Control::mnuSize10}, std::pair{11, Control::mnuSize11},
                           std::pair{12, Control::mnuSize12}, std::pair{16, Control::mnuSize16},
                           std::pair{20, Control::mnuSize20}}) {
        QAction* a = Accion(size, item, QString::number(n));
        a->setCheckable(true);
        tamanos->addAction(a);
        connect(a, &QAction::triggered, this, [this, n] { m_estacion.AccionTamanoFuente(n); });
    }
    QMenu* colour = settings->addMenu(QStringLiteral("Colour"));
    colour->setObjectName(QStringLiteral("mnuColor"));
    auto* colores = new QActionGroup(colour);
    for (auto [nombre, caption] : {std::pair{Control::mnuColorNegro, "Black"},
                                   std::pair{Control::mnuColorBlanco, "White"}}) {
        QAction* a = Accion(colour, nombre, QString::fromLatin1(caption));
        a->setCheckable(true);
        colores->addAction(a);
        const QString valor = QString::fromLatin1(caption);
        connect(a, &QAction::triggered, this, [this, valor] { m_estacion.AccionColor(valor); });
    }

    // The variant is changed in the setup dialog; this menu only shows it.
    QMenu* mode = menuBar()->addMenu(QStringLiteral("Mode"));
    mode->setObjectName(QStringLiteral("mnuMode"));
    m_acciones[std::size_t(Control::mnuMode)] = mode->menuAction();
    for (auto [item, variante] : {std::pair{Control::mnuKOLTHF, config::Variante::HF},
                                  std::pair{Control::mnuKOLTFM1200, config::Variante::FM},
                                  std::pair{Control::mnuKOLTSAT, config::Variante::SAT}})
        Accion(mode, item, QStringLiteral("KOLT ") + config::NombreDe(variante))
            ->setCheckable(true);

    Accion(nullptr, Control::mnuConnect, QStringLiteral("Connect"));
    Accion(nullptr, Control::mnuCQ, QStringLiteral("CQ"));
    Accion(nullptr, Control::mnuBroadcast, QStringLiteral("Broadcast"));
    connect(Accion(nullptr, Control::mnuStop, QStringLiteral("Stop")), &QAction::triggered, this,
            [this] { m_estacion.Abortar(); });
    connect(Accion(nullptr, Control::mnuClear, QStringLiteral("Clear")), &QAction::triggered, this,
            [this] { m_estacion.AccionLimpiar(); });
    connect(Accion(nullptr, Control::mnuSendFile, QStringLiteral("Send File")), &QAction::triggered,
            this, [this] { m_estacion.archivos().AccionEnviarArchivo(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(Accion(help, Control::mnuGuide, QStringLiteral("How to transmit a file")),
            &QAction::triggered, this, [this] { m_estacion.AbrirGuia(); });
    help->addSeparator();
    for (const config::EnlaceAyuda& web :
         config::EnlacesAyuda(m_estacion.entorno().carpetaPrograma))
        connect(Accion(help, web.nombre, web.caption), &QAction::triggered, this,
                [this, direccion = web.direccion] { m_estacion.operador().Abrir(direccion); });
    help->addSeparator();
    connect(Accion(help, Control::mnuChangeLog, QStringLiteral("ChangeLog")), &QAction::triggered,
            this, [this] { m_estacion.AbrirChangeLog(); });
    connect(Accion(help, Control::mnuAbout, QStringLiteral("About...")), &QAction::triggered, this,
            [this] {
                frmAbout acerca(this);
                acerca.exec();
                VolverATransmision();
            });
}

void frmKoltChat::CrearControles()
{
    auto* centro = new QWidget(this);
    setCentralWidget(centro);

    m_txtMainChat = new QPlainTextEdit(centro);
    m_txtMainChat->setObjectName(QStringLiteral("txtMainChat"));
    m_txtMainChat->setReadOnly(true);
    m_txtMainChat->setToolTip(QStringLiteral("RX Screen"));
    m_txtMainChat->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);

    m_txtTXChat = new QPlainTextEdit(centro);
    m_txtTXChat->setObjectName(QStringLiteral("txtTXChat"));
    m_txtTXChat->setToolTip(QStringLiteral("TX Screen"));
    m_txtTXChat->installEventFilter(this);
    m_txtTXChat->setTabChangesFocus(true);

    m_cmdEnviar = new QToolButton(centro);
    m_cmdEnviar->setObjectName(QStringLiteral("cmdEnviar"));
    m_cmdEnviar->setToolTip(QStringLiteral("Send text (ENTER key)"));
    m_cmdEnviar->setIcon(IconoEnviar());
    m_cmdEnviar->setFocusPolicy(Qt::NoFocus);
    connect(m_cmdEnviar, &QToolButton::clicked, this, &frmKoltChat::enviarPulsado);

    m_lblWait = new QLabel(QStringLiteral("Compressing file. Wait....."), centro);
    m_lblWait->setObjectName(QStringLiteral("lblWait"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(14.25);
    m_lblWait->setFont(arial);

    m_progressBar = new QProgressBar(centro);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
}

void frmKoltChat::CrearBarraEstado()
{
    struct Definicion {
        Panel panel;
        int ancho; // twips, at least
        Qt::Alignment alineacion;
        bool biselado;
        model::EstadoPanel mayor; // the longest the panel must show whole
    };
    const Definicion paneles[] = {
        {Panel::Margen1, 70, Qt::AlignLeft, false, {}},
        {Panel::PTT, 700, Qt::AlignLeft, true, {}},
        {Panel::Indicativos, 4250, Qt::AlignLeft, true, {}},
        {Panel::Bytes,
         1800,
         Qt::AlignLeft,
         true,
         {QStringLiteral("2048000 Bytes Rcvd"), QStringLiteral("Descargando"), {}}},
        {Panel::TCP, 750, Qt::AlignRight, true, {}}};
    statusBar()->setSizeGripEnabled(false);
    const double dpi = Dpi();
    for (const Definicion& d : paneles) {
        auto* p = new PanelEstado(d.alineacion, d.biselado, statusBar());
        p->setObjectName(model::ClavePanel(d.panel));
        const int ancho = APixeles(d.ancho, dpi);
        const int necesario = d.mayor.texto.isEmpty() ? 0 : p->AnchoPara(d.mayor);
        // What a wider font takes from the bar comes off the call-sign panel,
        // which stretches with the window anyway.
        m_ensanche += std::max(0, necesario - ancho);
        p->setFixedWidth(std::max(ancho, necesario));
        statusBar()->addWidget(p);
        m_paneles.insert(static_cast<int>(d.panel), p);
    }
}

// Keys for every item, none of which typing in the transmit box uses: no
// bare letters, no editing keys (Ctrl+A, C, D, E, K, U, V, X, Z...), and
// Enter keeps sending. A disabled or hidden item's key does nothing, as
// its click does.
void frmKoltChat::PrepararTeclado()
{
    const std::pair<Control, QKeySequence> teclas[] = {
        {Control::mnuSetup,
         QKeySequence(Qt::CTRL | Qt::Key_Comma)}, // the desktops' Preferences key
        {Control::mnuPTT, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
        {Control::mnuSize10, QKeySequence(Qt::CTRL | Qt::Key_1)},
        {Control::mnuSize11, QKeySequence(Qt::CTRL | Qt::Key_2)},
        {Control::mnuSize12, QKeySequence(Qt::CTRL | Qt::Key_3)},
        {Control::mnuSize16, QKeySequence(Qt::CTRL | Qt::Key_4)},
        {Control::mnuSize20, QKeySequence(Qt::CTRL | Qt::Key_5)},
        {Control::mnuColorNegro, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K)},
        {Control::mnuColorBlanco, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W)},
        {Control::mnuConnect, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
        {Control::mnuCQ, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q)},
        {Control::mnuBroadcast, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B)},
        {Control::mnuStop, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)},
        {Control::mnuClear, QKeySequence(Qt::CTRL | Qt::Key_L)}, // "clear screen" of terminals
        {Control::mnuSendFile, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
        {Control::mnuGuide, QKeySequence(Qt::Key_F1)}, // help
    };
    for (const auto& [nombre, tecla] : teclas)
        accion(nombre)->setShortcut(tecla);

    // F10 opens the menu bar as on the desktops that use it; Alt alone
    // already does where the style navigates the bar with it.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        if (!menuBar()->actions().isEmpty())
            menuBar()->setActiveAction(menuBar()->actions().first());
    });

    menuBar()->setAccessibleName(QStringLiteral("Menu bar"));
    statusBar()->setAccessibleName(QStringLiteral("Status bar"));
    Nombrar(m_txtMainChat, QStringLiteral("RX Screen"),
            QStringLiteral("The conversation: received lines, sent lines, links and transfers"));
    Nombrar(m_txtTXChat, QStringLiteral("TX Screen"),
            QStringLiteral("The text to send; Enter sends it"));
    Nombrar(m_cmdEnviar, QStringLiteral("Send text"), m_cmdEnviar->toolTip());
    Nombrar(m_progressBar, QStringLiteral("Transfer progress"));
    m_cmdEnviar->setFocusPolicy(Qt::TabFocus);
    OrdenTabulacion({m_txtMainChat, m_txtTXChat, m_cmdEnviar});

    m_anunciador = new Anunciador(centralWidget());
    connect(&m_modelo, &model::ModeloVentana::anuncio, m_anunciador, &Anunciador::Anunciar);
    m_txtTXChat->setFocus();
}

void frmKoltChat::VolverATransmision()
{
    activateWindow();
    m_txtTXChat->setFocus();
}

QWidget* frmKoltChat::panel(Panel p) const
{
    return m_paneles.value(static_cast<int>(p));
}

void frmKoltChat::RedibujarControles()
{
    for (std::size_t i = 0; i < model::kControles; ++i) {
        QAction* a = m_acciones[i];
        if (!a) continue;
        const model::EstadoControl c = m_modelo.control(Control(i));
        a->setEnabled(c.enabled);
        a->setVisible(c.visible);
        if (a->isCheckable()) a->setChecked(c.checked);
    }
    m_cmdEnviar->setVisible(m_modelo.control(Control::cmdEnviar).visible);
    m_lblWait->setVisible(m_modelo.control(Control::lblWait).visible);
    m_progressBar->setVisible(m_modelo.control(Control::ProgressBar).visible);
    m_txtTXChat->setEnabled(m_modelo.control(Control::txtTXChat).enabled);
}

void frmKoltChat::RedibujarPaneles()
{
    for (Panel p : model::kPaneles) {
        PanelEstado* panel = m_paneles.value(static_cast<int>(p));
        const model::EstadoPanel estado = m_modelo.panel(p);
        panel->Mostrar(estado);
        // Setting the same name again would have the reader repeat it.
        const QString nombre = NombrePanel(p, estado);
        if (panel->accessibleName() != nombre) panel->setAccessibleName(nombre);
        panel->setAccessibleDescription(DescripcionPanel(estado));
    }
}

void frmKoltChat::RedibujarAspecto()
{
    const QFont f = FuenteChat(m_modelo.tamanoFuente());
    QPalette paleta = m_txtMainChat->palette();
    paleta.setColor(QPalette::Base, QColor::fromRgb(m_modelo.fondo()));
    paleta.setColor(QPalette::Text, QColor::fromRgb(m_modelo.letra()));
    for (QPlainTextEdit* t : {m_txtMainChat, m_txtTXChat}) {
        t->setFont(f);
        t->setPalette(paleta);
    }
}

void frmKoltChat::AgregarRecepcion(const QString& texto)
{
    QTextCursor c = m_txtMainChat->textCursor();
    c.movePosition(QTextCursor::End);
    c.insertText(ParaPantalla(texto));
    m_txtMainChat->setTextCursor(c);
    m_txtMainChat->ensureCursorVisible();
}

void frmKoltChat::ReemplazarRecepcion()
{
    // A cut comes right after the text that caused it was appended: only the
    // oldest text goes, so that what is new reaches a screen reader as
    // inserted text, not as a whole new screen.
    const QString nuevo = ParaPantalla(m_modelo.textoRecepcion());
    const QString actual = m_txtMainChat->toPlainText();
    if (!nuevo.isEmpty() && actual.size() > nuevo.size() && actual.endsWith(nuevo)) {
        QTextCursor c(m_txtMainChat->document());
        c.setPosition(static_cast<int>(actual.size() - nuevo.size()), QTextCursor::KeepAnchor);
        c.removeSelectedText();
        m_txtMainChat->moveCursor(QTextCursor::End);
        m_txtMainChat->ensureCursorVisible();
        return;
    }
    m_txtMainChat->setPlainText(nuevo);
    m_txtMainChat->moveCursor(QTextCursor::End);
    m_txtMainChat->ensureCursorVisible();
}

bool frmKoltChat::eventFilter(QObject* objeto, QEvent* evento)
{
    // Exposed, the window has its frame: the stored outer size comes back
    // as the outer size, and the layout follows the real size.
    if (objeto == windowHandle() && evento->type() == QEvent::Expose &&
        windowHandle()->isExposed() && m_exteriorPendiente.isValid()) {
        AjustarExterior();
        m_exteriorPendiente = QSize();
        if (!isMinimized()) Disponer();
    }
    // Enter never reaches the transmit box: it sends, when sending is possible.
    if (objeto == m_txtTXChat && evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            if (m_modelo.control(Control::cmdEnviar).visible) emit enviarPulsado();
            return true;
        }
    }
    return QMainWindow::eventFilter(objeto, evento);
}

void frmKoltChat::Disponer()
{
    const double dpi = Dpi();
    const QRect marco = frameGeometry();
    const int extraAncho = marco.width() - width();
    const int extraAlto = marco.height() - height();
    const Disposicion d =
        CalcularDisposicion(ATwips(marco.width(), dpi), ATwips(marco.height(), dpi));
    const QSize minimo(APixeles(d.ventana.width(), dpi) - extraAncho,
                       APixeles(d.ventana.height(), dpi) - extraAlto);
    if (width() < minimo.width() || height() < minimo.height()) {
        resize(std::max(width(), minimo.width()), std::max(height(), minimo.height()));
        return; // the resize comes back here with the snapped size
    }
    const auto px = [dpi](const QRect& r) {
        return QRect(APixeles(r.left(), dpi), APixeles(r.top(), dpi), APixeles(r.width(), dpi),
                     APixeles(r.height(), dpi));
    };
    m_txtMainChat->setGeometry(px(d.recepcion));
    m_txtTXChat->setGeometry(px(d.transmision));
    m_progressBar->setGeometry(px(d.progreso));
    const int lado = APixeles(d.transmision.height(), dpi);
    m_cmdEnviar->setGeometry(APixeles(d.enviar.x(), dpi), APixeles(d.enviar.y(), dpi), lado, lado);
    m_cmdEnviar->setIconSize(QSize(lado * 2 / 3, lado * 2 / 3));
    m_lblWait->adjustSize();
    m_lblWait->move(APixeles(d.recepcion.left(), dpi), APixeles(d.esperaTop, dpi));
    m_paneles.value(static_cast<int>(Panel::Indicativos))
        ->setFixedWidth(std::max(0, APixeles(d.anchoIndicativos, dpi) - m_ensanche));
}

void frmKoltChat::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) Disponer();
}

void frmKoltChat::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) Disponer();
}

void frmKoltChat::RestaurarGeometria()
{
    const model::Geometria g = m_modelo.geometria();
    const double dpi = Dpi();
    QPoint esquina(APixeles(g.left, dpi), APixeles(g.top, dpi));
    // A screen that was unplugged or a hand-edited position: the window
    // must still be where the operator can reach it.
    if (!QGuiApplication::screenAt(esquina))
        if (const QScreen* primaria = QGuiApplication::primaryScreen())
            esquina = primaria->availableGeometry().topLeft();
    move(esquina);
    if (g.state == 0) {
        // The stored size is the outer one. The frame is known only once the
        // window manager has put it round the window: until then the inner
        // size stands in, and it is corrected when the window first shows.
        m_exteriorPendiente = QSize(APixeles(g.width, dpi), APixeles(g.height, dpi));
        AjustarExterior();
    }
    if (g.state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (g.state == 1)
        setWindowState(Qt::WindowMinimized);
}

void frmKoltChat::AjustarExterior()
{
    if (!m_exteriorPendiente.isValid()) return;
    const QRect marco = frameGeometry();
    resize(m_exteriorPendiente.width() - (marco.width() - width()),
           m_exteriorPendiente.height() - (marco.height() - height()));
}

void frmKoltChat::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (windowHandle() && !m_vigilandoMarco) {
        m_vigilandoMarco = true;
        windowHandle()->installEventFilter(this);
    }
}

model::Geometria frmKoltChat::GeometriaActual() const
{
    const double dpi = Dpi();
    model::Geometria g;
    g.state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    const QRect marco = frameGeometry();
    g.top = ATwips(marco.top(), dpi);
    g.left = ATwips(marco.left(), dpi);
    g.width = ATwips(marco.width(), dpi);
    g.height = ATwips(marco.height(), dpi);
    return g;
}

void frmKoltChat::closeEvent(QCloseEvent* event)
{
    if (!m_cerrado) {
        m_cerrado = true;
        m_estacion.Cerrar(GeometriaActual());
        // The other windows go too; they see the station closing and leave
        // the saving to it.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != this && w->isVisible()) w->close();
    }
    event->accept();
}

} // namespace kolt::ui
