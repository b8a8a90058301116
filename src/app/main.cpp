// KOLT Chat: the program's entry. Builds the station and its window, and
// lets SIGTERM and SIGINT close the window as the operator would, so the
// settings and the session log are written.

#include "config/AlmacenAjustes.h"
#include "link/Estacion.h"
#include "ui/OperadorQt.h"
#include "ui/frmKoltChat.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_senales[2] = {-1, -1};

void AlRecibirSenal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_senales[0], &c, 1);
}

void CerrarConSenales(QWidget& ventana)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_senales) != 0) return;
    auto* aviso = new QSocketNotifier(g_senales[1], QSocketNotifier::Read, &ventana);
    QObject::connect(aviso, &QSocketNotifier::activated, &ventana, [&ventana] {
        char c;
        [[maybe_unused]] const auto n = ::read(g_senales[1], &c, 1);
        ventana.close();
    });
    struct sigaction sa = {};
    sa.sa_handler = AlRecibirSenal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KOLT Chat"));
    QApplication::setOrganizationName(QStringLiteral("KOLT"));

    kolt::ui::OperadorQt operador;
    kolt::link::Estacion::Entorno entorno;
    entorno.carpetaPrograma = QCoreApplication::applicationDirPath();
    entorno.carpetaAjustes = kolt::config::CarpetaAjustes();
    entorno.escritorio = kolt::config::CarpetaEscritorio();
    entorno.operador = &operador;
    kolt::link::Estacion estacion(entorno);

    kolt::ui::frmKoltChat ventana(estacion);
    operador.FijarVentana(&ventana);
    if (estacion.Iniciar() == kolt::link::Estacion::Arranque::OtraCopia) return 0;
    ventana.RestaurarGeometria();
    CerrarConSenales(ventana);
    ventana.show();
    return app.exec();
}
