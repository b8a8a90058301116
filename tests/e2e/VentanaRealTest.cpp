// The built program under a real X server and window manager, driven by keys
// and by clicks where the same dialog built in this process puts its controls.

#include "ui/frmConnect.h"

#include "Archivos.h"
#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include <QApplication>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdio>

using namespace kolt;
using test::Esperar;

namespace {

// Runs an X tool (xdotool unless told) and returns what it printed.
QString Xdotool(const QStringList& argumentos, const QString& programa = QStringLiteral("xdotool"))
{
    QProcess p;
    p.start(programa, argumentos);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QString Ventana(const QString& titulo)
{
    return Xdotool({"search", "--onlyvisible", "--name", titulo}).section('\n', 0, 0);
}

void Pulsar(const QString& ventana, QPoint punto)
{
    Xdotool({"mousemove", "--window", ventana, QString::number(punto.x()),
             QString::number(punto.y()), "click", "1"});
}

// Where to click in the connect dialog: its HF field and its button.
std::pair<QPoint, QPoint> Medir()
{
    test::EstacionDePrueba e{QString()};
    ui::frmConnect d(*e);
    d.setAttribute(Qt::WA_DontShowOnScreen);
    d.show();
    const auto centro = [&](QWidget* w) { return w->mapTo(&d, w->rect().center()); };
    return {centro(d.combo(link::CampoConectar::HF)), centro(d.cmdConnect())};
}

// The program in a folder of its own: its settings, lock and log are the test's.
struct Programa {
    // Started (on the modem port `modem` the first time) and its main window shown.
    bool Arrancar(quint16 modem, const QString& setup = {})
    {
        const QString copia = m_dir.filePath(QStringLiteral("kolt-chat"));
        QFile::copy(QStringLiteral(KOLT_PROGRAM_DIR "/kolt-chat"), copia); // once: no overwrite
        const QString ini = m_dir.filePath(QStringLiteral("KOLT Chat.ini"));
        if (!QFile::exists(ini))
            test::Crear(ini, QStringLiteral("[Setup]\r\n%1HF TCP Port=%2\r\nKISS TCP Port=%3\r\n"
                                            "AutoLaunch=0\r\nSave Log=1\r\n[Position]\r\n"
                                            "Top Position=1200\r\nLeft Position=1500\r\n"
                                            "Terminal Width=9000\r\nTerminal Height=7005\r\n"
                                            "[Path]\r\nDownload Folder=%4\r\n")
                                 .arg(setup, QString::number(modem),
                                      QString::number(test::PuertoLibre()), m_dir.path())
                                 .toLatin1());
        m_proceso.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_proceso.start(copia, {});
        return m_proceso.waitForStarted(5000) &&
               Esperar([&] { return !(ventana = Ventana("^KOLT Chat v")).isEmpty(); }, 15000);
    }

    // As the operator closes it: the settings and the session log are written.
    void Cerrar()
    {
        m_proceso.terminate();
        m_proceso.waitForFinished(10000);
    }

    QString Archivo(const QString& filtro) const
    {
        QString todo;
        for (const QString& n : QDir(m_dir.path()).entryList({filtro}))
            todo += QString::fromLatin1(test::Leer(m_dir.filePath(n)));
        return todo;
    }
    QString ventana;
    QTemporaryDir m_dir;
    QProcess m_proceso;
};

// The outer size X shows for `ventana`: the window and the frame round it.
QSize Exterior(const QString& ventana)
{
    const QString g = Xdotool({"getwindowgeometry", "--shell", ventana});
    const QStringList m = Xdotool({"-id", ventana, "_NET_FRAME_EXTENTS"}, QStringLiteral("xprop"))
                              .section('=', 1)
                              .split(',');
    const auto valor = [&](const char* clave) {
        return g.section(QString::fromLatin1(clave) + '=', 1).section('\n', 0, 0).toInt();
    };
    return m.size() != 4 ? QSize()
                         : QSize(valor("WIDTH") + m[0].trimmed().toInt() + m[1].trimmed().toInt(),
                                 valor("HEIGHT") + m[2].trimmed().toInt() + m[3].trimmed().toInt());
}

// The outer size and place survive restarts. A CQ with the KISS port down is refused,
// logged, and locks nothing: Connect calls what was typed though the history holds more.
TEST(VentanaReal, SizeSurvivesRestartsRefusedCqLocksNothingConnectCallsWhatWasTyped)
{
    test::ModemDePrueba modem;
    Programa p;
    const QSize exterior(9000 / 15, 7005 / 15); // twips at the display's 96 dpi
    for (int vez = 1; vez <= 3; ++vez) {
        modem.Olvidar();
        ASSERT_TRUE(p.Arrancar(modem.puerto(),
                               "Connect With HF=N0CALL-12\r\nConnectHF List0=N0CALL-12\r\n"));
        EXPECT_TRUE(Esperar([&] { return Exterior(p.ventana) == exterior; }, 5000)) << vez;
        ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("CHAT ON"); }, 10000));
        if (vez < 3) p.Cerrar();
    }
    const auto [campoHF, botonConnect] = Medir();
    Xdotool({"key", "--clearmodifiers", "ctrl+shift+q", "ctrl+shift+c"}); // CQ, Connect
    QString dialogo;
    ASSERT_TRUE(Esperar([&] { return !(dialogo = Ventana("^Connect$")).isEmpty(); }));
    Pulsar(dialogo, campoHF);
    Xdotool({"key", "--clearmodifiers", "ctrl+a", "type", "--delay", "40", "N0CALL-1"});
    Pulsar(dialogo, botonConnect);
    EXPECT_TRUE(Esperar([&] { return modem.lineas().contains("CONNECT N0CALL-1 N0CALL-1"); }));
    p.Cerrar();
    EXPECT_TRUE(p.Archivo("*.log").contains(
        "CQ not sent: the KISS TCP port is not connected with KOLT TNC\r\n"));
    EXPECT_TRUE(p.Archivo("KOLT Chat.ini")
                    .contains("\nTop Position=1200\r\nLeft Position=1500\r\n"
                              "Terminal Width=9000\r\nTerminal Height=7005\r\n"));
}

} // namespace

// The session bus library keeps a buffer for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    for (const char* h : {"Xvfb", "openbox", "xdotool", "xprop"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(h)).isEmpty()) {
            std::fprintf(stderr, "missing %s (scripts/install-deps.sh installs it)\n", h);
            return qgetenv("CI") == "true" ? 1 : 77; // 77: skipped, for CTest
        }
    }
    // An X server and a window manager on a display of their own.
    QProcess servidor, gestor;
    servidor.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x1024x24",
                                            "-nolisten", "tcp", "-dpi", "96"});
    QByteArray numero;
    while (!numero.contains('\n') && servidor.waitForReadyRead(10000))
        numero += servidor.readAllStandardOutput();
    qputenv("DISPLAY", ':' + numero.trimmed());
    gestor.setProcessChannelMode(QProcess::ForwardedChannels);
    gestor.start(QStringLiteral("openbox"), {"--sm-disable"});
    const auto conGestor = [] {
        return Xdotool({"-root", "_NET_SUPPORTING_WM_CHECK"}, QStringLiteral("xprop"))
            .contains(QStringLiteral("window id"));
    };
    if (!Esperar(conGestor, 20000)) {
        std::fprintf(stderr, "no X session: Xvfb or openbox did not start\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");         // for this process and the program
    qputenv("ASAN_OPTIONS", "detect_leaks=0"); // for the program: this one has read its own
    QApplication app(argc, argv);
    return RUN_ALL_TESTS(); // the X session ends with `gestor` and `servidor`
}
