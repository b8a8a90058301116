// The built program as an operator meets it: an X server with a window
// manager, the program started from a folder of its own, clicks and keys
// sent through the X server. What it did is read from what it leaves
// behind (the settings file, the session log) and from the modem's side of
// its sockets. Where to click is measured on the same windows built in this
// process, on the same display, so no pixel position is written down here.

#include "ui/frmConnect.h"
#include "ui/frmKoltChat.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace kolt;
using test::Esperar;

namespace {

constexpr int kSaltar = 77; // the exit code CTest reads as "skipped"

QString Ejecutar(const QString& programa, const QStringList& argumentos, bool* ok = nullptr)
{
    QProcess p;
    p.start(programa, argumentos);
    const bool fin =
        p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok) *ok = fin;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QString Xdotool(const QStringList& argumentos)
{
    return Ejecutar(QStringLiteral("xdotool"), argumentos);
}

// The first visible window whose title matches `titulo` (a regular expression).
QString Ventana(const QString& titulo)
{
    return Xdotool({"search", "--onlyvisible", "--name", titulo}).section('\n', 0, 0);
}

void Pulsar(const QString& ventana, QPoint punto)
{
    Xdotool({"mousemove", "--window", ventana, QString::number(punto.x()),
             QString::number(punto.y()), "click", "1"});
}

// Where the operator clicks, relative to the window the control is in.
struct Plano {
    QPoint connect, cq;           // menu bar items of the main window
    QPoint campoHF, botonConnect; // in the connect dialog
};

Plano Medir()
{
    test::EstacionDePrueba e(QStringLiteral("My Callsign=MEDIDA\r\n"));
    ui::frmKoltChat v(*e);
    v.setAttribute(Qt::WA_DontShowOnScreen);
    v.show();
    const auto item = [&](const char* nombre) {
        const QRect r = v.menuBar()->actionGeometry(v.accion(QString::fromLatin1(nombre)));
        return v.menuBar()->mapTo(&v, r.center());
    };
    ui::frmConnect d(*e, &v);
    d.setAttribute(Qt::WA_DontShowOnScreen);
    d.show();
    const auto centro = [&](QWidget* w) { return w->mapTo(&d, w->rect().center()); };
    Plano p{item("mnuConnect"), item("mnuCQ"), centro(d.combo(link::CampoConectar::HF)),
            centro(d.cmdConnect())};
    d.reject();
    return p;
}

const Plano& ElPlano()
{
    static const Plano p = Medir();
    return p;
}

// The program in a temporary folder of its own, so that its settings file,
// lock and session log are the test's.
class Programa {
public:
    Programa()
    {
        const QString original = QStringLiteral(KOLT_PROGRAM_DIR "/kolt-chat");
        const QString copia = m_dir.filePath(QStringLiteral("kolt-chat"));
        if (::link(QFile::encodeName(original).constData(), QFile::encodeName(copia).constData()) !=
            0)
            QFile::copy(original, copia);
    }

    ~Programa() { Cerrar(); }

    void Escribir(const QString& ini)
    {
        QFile f(m_dir.filePath(QStringLiteral("KOLT Chat.ini")));
        if (f.open(QIODevice::WriteOnly)) f.write(ini.toLatin1());
    }

    // Started and its main window shown.
    bool Arrancar()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        m_proceso.setProcessEnvironment(env);
        m_proceso.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_proceso.start(m_dir.filePath(QStringLiteral("kolt-chat")), {});
        return m_proceso.waitForStarted(5000) && Esperar(
                                                     [&] {
                                                         ventana = Ventana("^KOLT Chat v");
                                                         return !ventana.isEmpty();
                                                     },
                                                     15000);
    }

    // As the operator closes it: the settings and the session log are written.
    void Cerrar()
    {
        if (m_proceso.state() == QProcess::NotRunning) return;
        m_proceso.terminate();
        if (!m_proceso.waitForFinished(10000)) m_proceso.kill();
        m_proceso.waitForFinished(2000);
    }

    QString Archivo(const QString& nombre) const
    {
        QFile f(m_dir.filePath(nombre));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
    QString Ini() const { return Archivo(QStringLiteral("KOLT Chat.ini")); }
    QString Log() const
    {
        QString todo;
        for (const QString& n : QDir(m_dir.path()).entryList({QStringLiteral("*.log")}))
            todo += Archivo(n);
        return todo;
    }
    QString carpeta() const { return m_dir.path(); }

    QString ventana;

private:
    QTemporaryDir m_dir;
    QProcess m_proceso;
};

QString Ajustes(quint16 modem, quint16 kiss, const QString& carpeta, const QString& setup = {})
{
    return QStringLiteral(
               "[Setup]\r\n%1HF TCP Port=%2\r\nKISS TCP Port=%3\r\nKISS Host=127.0.0.1\r\n"
               "AutoLaunch=0\r\nSave Log=1\r\n[Position]\r\nTop Position=1200\r\n"
               "Left Position=1500\r\nTerminal Width=9000\r\nTerminal Height=7005\r\n"
               "[Path]\r\nDownload Folder=%4\r\n")
        .arg(setup, QString::number(modem), QString::number(kiss), carpeta);
}

// Where the settings file puts the window, and how big.
QStringList Lugar(const QString& ini)
{
    static const QRegularExpression clave(
        QStringLiteral("^(Top Position|Left Position|Terminal Width|Terminal Height)=.*$"),
        QRegularExpression::MultilineOption);
    QStringList r;
    for (auto it = clave.globalMatch(QString(ini).remove('\r')); it.hasNext();)
        r << it.next().captured();
    return r;
}

// The outer size X shows for `ventana`: the window and the frame round it.
QSize Exterior(const QString& ventana)
{
    const QString g = Xdotool({"getwindowgeometry", "--shell", ventana});
    const QString marco =
        Ejecutar(QStringLiteral("xprop"), {"-id", ventana, "_NET_FRAME_EXTENTS"}).section('=', 1);
    const QStringList m = marco.split(',');
    if (m.size() != 4) return {};
    const auto valor = [&](const char* clave) {
        return g.section(QString::fromLatin1(clave) + '=', 1).section('\n', 0, 0).toInt();
    };
    return {valor("WIDTH") + m[0].trimmed().toInt() + m[1].trimmed().toInt(),
            valor("HEIGHT") + m[2].trimmed().toInt() + m[3].trimmed().toInt()};
}

TEST(VentanaReal, KeepsItsOuterSizeAndPlaceOverThreeRestarts)
{
    Programa p;
    p.Escribir(Ajustes(test::PuertoLibre(), test::PuertoLibre(), p.carpeta()));
    const QStringList antes = Lugar(p.Ini());
    ASSERT_EQ(antes.size(), 4);
    const QSize exterior(9000 / 15, 7005 / 15); // twips at the display's 96 dpi
    for (int vez = 1; vez <= 3; ++vez) {
        ASSERT_TRUE(p.Arrancar()) << "run " << vez;
        EXPECT_TRUE(Esperar([&] { return Exterior(p.ventana) == exterior; }, 5000))
            << "run " << vez << ": outer size " << Exterior(p.ventana).width() << "x"
            << Exterior(p.ventana).height();
        p.Cerrar();
        EXPECT_EQ(Lugar(p.Ini()), antes) << "run " << vez;
    }
}

TEST(VentanaReal, ConnectDialogCallsExactlyWhatWasTyped)
{
    test::ModemDePrueba modem;
    Programa p;
    p.Escribir(Ajustes(modem.puerto(), test::PuertoLibre(), p.carpeta(),
                       "Connect With HF=N0CALL-12\r\nConnectHF List0=N0CALL-12\r\n"));
    ASSERT_TRUE(p.Arrancar());
    ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("CHAT ON"); }, 10000));
    const Plano& plano = ElPlano();
    Pulsar(p.ventana, plano.connect);
    QString dialogo;
    ASSERT_TRUE(Esperar([&] { return !(dialogo = Ventana("^Connect$")).isEmpty(); }));
    Pulsar(dialogo, plano.campoHF);
    Xdotool({"key", "--clearmodifiers", "ctrl+a"});
    Xdotool({"type", "--delay", "40", "N0CALL-1"});
    Pulsar(dialogo, plano.botonConnect);
    EXPECT_TRUE(Esperar([&] { return modem.lineas().contains("CONNECT N0CALL-1 N0CALL-1"); }))
        << testing::PrintToString(modem.lineas());
    p.Cerrar();
    const QString ini = p.Ini();
    for (const char* linea : {"\nConnect With HF=N0CALL-1\r\n", "\nConnectHF List0=N0CALL-1\r\n",
                              "\nConnectHF List1=N0CALL-12\r\n"})
        EXPECT_TRUE(ini.contains(QLatin1String(linea))) << linea;
}

TEST(VentanaReal, CqWithTheKissPortDownSaysSoAndLocksNothing)
{
    test::ModemDePrueba modem;
    Programa p;
    p.Escribir(Ajustes(modem.puerto(), test::PuertoLibre(), p.carpeta()));
    ASSERT_TRUE(p.Arrancar());
    ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("CHAT ON"); }, 10000));
    const Plano& plano = ElPlano();
    Pulsar(p.ventana, plano.cq);

    // Connect still opens its dialog: a refused CQ locks no menu item
    // (which ones, offscreen: tests/broadcast).
    Pulsar(p.ventana, plano.connect);
    EXPECT_TRUE(Esperar([&] { return !Ventana("^Connect$").isEmpty(); })) << "Connect did nothing";
    p.Cerrar();
    EXPECT_TRUE(
        p.Log().contains("CQ not sent: the KISS TCP port is not connected with KOLT TNC\r\n"))
        << p.Log().toStdString();
}

// An X server and a window manager for the whole run, on a display of
// their own. Both end with the run.
class SesionX {
public:
    // Empty when all went well; else why not.
    QString Abrir()
    {
        m_servidor.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x1024x24",
                                                  "-nolisten", "tcp", "-dpi", "96"});
        if (!m_servidor.waitForStarted(5000)) return QStringLiteral("Xvfb did not start");
        QByteArray numero;
        while (!numero.contains('\n') && m_servidor.waitForReadyRead(10000))
            numero += m_servidor.readAllStandardOutput();
        if (!numero.contains('\n')) return QStringLiteral("Xvfb gave no display");
        const QByteArray display = ':' + numero.trimmed();
        qputenv("DISPLAY", display);
        m_gestor.setProcessChannelMode(QProcess::MergedChannels);
        m_gestor.start(QStringLiteral("openbox"), {"--sm-disable"});
        if (!m_gestor.waitForStarted(5000)) return QStringLiteral("openbox did not start");
        const bool listo = Esperar(
            [] {
                return Ejecutar(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"})
                    .contains(QStringLiteral("window id"));
            },
            20000);
        // What openbox said is the only clue to a start that failed.
        return listo ? QString()
                     : QStringLiteral("openbox did not take the display: ") +
                           QString::fromLocal8Bit(m_gestor.readAll());
    }

    ~SesionX()
    {
        for (QProcess* p : {&m_gestor, &m_servidor}) {
            p->terminate();
            if (!p->waitForFinished(3000)) p->kill();
            p->waitForFinished(1000);
        }
    }

private:
    QProcess m_servidor;
    QProcess m_gestor;
};

} // namespace

// The session bus library keeps a buffer for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const bool enCI = qgetenv("CI") == "true";
    QStringList faltan;
    for (const char* h : {"Xvfb", "openbox", "xdotool", "xprop"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(h)).isEmpty())
            faltan << QString::fromLatin1(h);
    if (!faltan.isEmpty()) {
        std::fprintf(stderr, "missing %s (scripts/install-deps.sh installs them)\n",
                     qPrintable(faltan.join(", ")));
        return enCI ? 1 : kSaltar;
    }
    SesionX sesion;
    if (const QString error = sesion.Abrir(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
