// File transfer: what receiving costs, in time and memory, and what a whole
// transfer through the stand-in modem costs beside a plain loopback socket.
//
//   bench_transfer [corpus-folder]      (default: the configured corpus)
//
// 1. Memory. The peak resident size (VmHWM, reset through
//    /proc/self/clear_refs) while a station receives the largest plain file
//    and the largest compressed payload, fed to its data channel in
//    1,024-byte chunks and saved, minus the resident size of the idle
//    station just before. Measured first, before anything else has grown
//    the heap.
// 2. Receive cost per byte. Frames of 204,800 and 2,048,000 bytes fed in
//    1,024-byte chunks, completion and saving included: the ratio of the
//    time per byte (large / small) shows whether the cost is linear.
// 3. End to end. Two stations linked through the stand-in modem in this
//    process at unlimited air rate: from "Send File" to the file saved on
//    the other side, beside the time the file's bytes take over a plain
//    loopback TCP connection in the same event loop. Best of several runs;
//    every received file is compared with the original.

#include "config/Ansi.h"
#include "link/Estacion.h"
#include "model/Operador.h"
#include "transfer/CanalDatos.h"
#include "transfer/CargaArchivo.h"
#include "transfer/TransferenciaArchivos.h"
#include "transfer/deflate/Compresion.h"

#include "Simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>

namespace {

using namespace kolt;
using Clock = std::chrono::steady_clock;

double Segundos(Clock::time_point desde)
{
    return std::chrono::duration<double>(Clock::now() - desde).count();
}

// kB from /proc/self/status ("VmRSS", "VmHWM").
long Estado(const char* clave)
{
    std::ifstream f("/proc/self/status");
    std::string linea;
    const std::string prefijo = std::string(clave) + ":";
    while (std::getline(f, linea))
        if (linea.rfind(prefijo, 0) == 0) return std::stol(linea.substr(prefijo.size()));
    return -1;
}

// Returns free heap pages to the system, then makes the current resident
// size the new peak: what follows is measured from here.
bool ReiniciarPico()
{
    malloc_trim(0);
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
    return bool(f);
}

class OperadorBanco : public model::Operador {
public:
    void Mensaje(model::Icono, const QString& texto) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(texto));
    }
    QString ElegirArchivo(const QString&, const QString&) override
    {
        if (respuestas.empty()) return {};
        QString r = respuestas.front();
        respuestas.pop_front();
        return r;
    }
    QString ElegirCarpeta(const QString&, const QString&) override { return {}; }
    void Abrir(const QString&) override {}
    std::deque<QString> respuestas;
};

QByteArray Copia(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

QByteArray Azar(qsizetype n, std::uint32_t semilla)
{
    QByteArray b(n, Qt::Uninitialized);
    std::mt19937 g(semilla);
    for (char& c : b)
        c = char(g());
    return b;
}

// A station that is not started: its data channel is fed directly.
struct Receptor {
    explicit Receptor(const QString& carpeta)
    {
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = carpeta;
        e.operador = &operador;
        estacion = std::make_unique<link::Estacion>(e);
        estacion->config().downloadFolder = carpeta;
    }
    // Feeds `trama` in chunks of `pedazo` bytes; returns the time of all
    // chunks but the last, and of the last (completion and saving).
    std::pair<double, double> Recibir(const QByteArray& trama, qsizetype pedazo = 1024)
    {
        transfer::CanalDatos& canal = estacion->canalDatos();
        const auto t0 = Clock::now();
        qsizetype i = 0;
        for (; i + pedazo < trama.size(); i += pedazo)
            canal.RecibirDatos(QByteArrayView(trama).sliced(i, pedazo));
        const double trozos = Segundos(t0);
        const auto t1 = Clock::now();
        canal.RecibirDatos(QByteArrayView(trama).sliced(i));
        return {trozos, Segundos(t1)};
    }
    OperadorBanco operador;
    std::unique_ptr<link::Estacion> estacion;
};

void VaciarCarpeta(const QString& carpeta)
{
    QDir d(carpeta);
    for (const QString& n : d.entryList(QDir::Files | QDir::Hidden))
        d.remove(n);
}

void Memoria(const QString& carpeta)
{
    // The frames exist before the baseline: on the air they would sit in
    // the socket, not in the station.
    const QByteArray plana = "2048000$largest.bin#" + Azar(2'048'000 - 12, 1);
    const QByteArray original = "compressed.bin#" + Azar(2'040'000, 2);
    const QByteArray desinflada = Copia(
        deflate::Deflate(std::span(reinterpret_cast<const std::uint8_t*>(original.constData()),
                                   std::size_t(original.size())),
                         5));
    const QByteArray comprimida = QByteArray::number(desinflada.size()) + '#' + desinflada;
    Receptor r(carpeta);
    std::printf("Memory while receiving (VmHWM above the idle station, kB):\n");
    for (auto [nombre, trama] :
         {std::pair{"plain 2,048,000-byte payload", &plana},
          std::pair{"compressed payload expanding to 2,040,015", &comprimida}}) {
        QCoreApplication::processEvents();
        if (!ReiniciarPico()) {
            std::printf("  /proc/self/clear_refs not writable: no measurement\n");
            return;
        }
        const long reposo = Estado("VmRSS");
        r.Recibir(*trama);
        const long pico = Estado("VmHWM");
        const bool guardado = QDir(carpeta).entryList(QDir::Files).size() == 1;
        std::printf("  %-44s idle %7ld  peak %7ld  delta %6ld kB (%.1f MiB)%s\n", nombre, reposo,
                    pico, pico - reposo, (pico - reposo) / 1024.0, guardado ? "" : "  NOT SAVED");
        VaciarCarpeta(carpeta);
    }
}

void CostePorByte(const QString& carpeta)
{
    Receptor r(carpeta);
    struct Medida {
        qsizetype bytes;
        double trozos = 1e9, total = 1e9;
    };
    Medida medidas[] = {{204'800}, {2'048'000}};
    for (Medida& m : medidas) {
        const qsizetype largo = m.bytes - 1 - QByteArray::number(m.bytes).size();
        const QByteArray carga = "frame.bin#" + Azar(largo - 10, 3);
        const QByteArray trama = QByteArray::number(carga.size()) + '$' + carga;
        for (int vez = 0; vez < (m.bytes < 1'000'000 ? 30 : 8); ++vez) {
            const auto [trozos, fin] = r.Recibir(trama);
            m.trozos = std::min(m.trozos, trozos);
            m.total = std::min(m.total, trozos + fin);
            VaciarCarpeta(carpeta);
        }
    }
    std::printf("\nReceive cost, 1,024-byte chunks, best of several runs (ns/byte):\n");
    for (const Medida& m : medidas)
        std::printf("  %9lld bytes   chunks %6.2f   with completion and save %6.2f   (%.2f ms)\n",
                    static_cast<long long>(m.bytes), 1e9 * m.trozos / double(m.bytes),
                    1e9 * m.total / double(m.bytes), 1e3 * m.total);
    const auto porByte = [](const Medida& m, double t) { return t / double(m.bytes); };
    std::printf("  ratio large/small per byte: chunks %.2f, whole %.2f (limit 1.20)\n",
                porByte(medidas[1], medidas[1].trozos) / porByte(medidas[0], medidas[0].trozos),
                porByte(medidas[1], medidas[1].total) / porByte(medidas[0], medidas[0].total));
}

// Runs the event loop until `listo` holds: checked on every line added to
// the screens given (so a completion is seen the moment it is written) and
// every millisecond. False after `segundos`.
bool Esperar(const std::function<bool()>& listo, const std::vector<model::ModeloVentana*>& pantallas,
             double segundos = 60)
{
    QEventLoop bucle;
    const auto t0 = Clock::now();
    const auto mirar = [&] {
        if (listo() || Segundos(t0) > segundos) bucle.quit();
    };
    QTimer sondeo;
    QObject::connect(&sondeo, &QTimer::timeout, &bucle, mirar);
    sondeo.start(1);
    std::vector<QMetaObject::Connection> conexiones;
    for (model::ModeloVentana* m : pantallas)
        conexiones.push_back(
            QObject::connect(m, &model::ModeloVentana::recepcionAgregada, &bucle, mirar));
    if (!listo()) bucle.exec();
    for (auto& c : conexiones)
        QObject::disconnect(c);
    return listo();
}

struct PuestoBanco {
    PuestoBanco(const QString& yo, const QString& otro, modemsim::PortStation& modem)
    {
        QFile f(QDir(dir.path()).filePath("KOLT Chat.ini"));
        f.open(QIODevice::WriteOnly);
        f.write(
            QStringLiteral("[Setup]\r\nMy Callsign=%1\r\nConnect With HF=%2\r\n"
                           "HF TCP Port=%3\r\nKISS TCP Port=%4\r\nAutoLaunch=0\r\nSave Log=0\r\n")
                .arg(yo, otro)
                .arg(modem.commandPort())
                .arg(modem.kissPort())
                .toLatin1());
        f.close();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = dir.path();
        e.operador = &operador;
        estacion = std::make_unique<link::Estacion>(e);
        estacion->Iniciar();
    }
    QTemporaryDir dir;
    OperadorBanco operador;
    std::unique_ptr<link::Estacion> estacion;
};

double Loopback(const QByteArray& datos)
{
    QTcpServer servidor;
    servidor.listen(QHostAddress::LocalHost, 0);
    QTcpSocket cliente;
    cliente.connectToHost(QHostAddress::LocalHost, servidor.serverPort());
    cliente.waitForConnected(5000);
    servidor.waitForNewConnection(5000);
    QTcpSocket* otro = servidor.nextPendingConnection();
    qint64 recibidos = 0;
    QEventLoop bucle;
    QObject::connect(otro, &QTcpSocket::readyRead, &bucle, [&] {
        recibidos += otro->readAll().size();
        if (recibidos >= datos.size()) bucle.quit();
    });
    const auto t0 = Clock::now();
    cliente.write(datos);
    bucle.exec();
    return Segundos(t0);
}

void Extremo(const QString& corpus)
{
    modemsim::Options o;
    for (const char* call : {"N0CALL-1", "N0CALL-3"})
        o.stations.append({call, {0, true, 0}});
    o.air.airRate = 0;
    o.air.setupMs = 0;
    modemsim::Simulator sim(o);
    QString error;
    if (!sim.start(&error)) {
        std::printf("stand-in modem: %s\n", qPrintable(error));
        return;
    }
    PuestoBanco a("N0CALL-1", "N0CALL-3", *sim.station("N0CALL-1"));
    PuestoBanco b("N0CALL-3", "N0CALL-1", *sim.station("N0CALL-3"));
    model::ModeloVentana& pa = a.estacion->modelo();
    model::ModeloVentana& pb = b.estacion->modelo();
    const std::vector<model::ModeloVentana*> fuentes{&pa, &pb};
    const auto arriba = [&] {
        return a.estacion->SocketsArriba() && b.estacion->SocketsArriba() &&
               sim.station("N0CALL-1")->onAir() && sim.station("N0CALL-3")->onAir();
    };
    for (int i = 0; i < 500 && !arriba(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    a.estacion->Conectar();
    for (int i = 0; i < 500 && !(a.estacion->enlace().enlazado && b.estacion->enlace().enlazado);
         ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!b.estacion->enlace().enlazado) {
        std::printf("no link\n");
        return;
    }

    QFile dickens(QDir(corpus).filePath("dickens.2048000"));
    if (!dickens.open(QIODevice::ReadOnly)) {
        std::printf("corpus file dickens.2048000 missing\n");
        return;
    }
    const QByteArray texto = dickens.readAll();
    struct Caso {
        const char* nombre;
        QByteArray contenido;
    };
    const Caso casos[] = {
        {"largest.bin", Azar(2'048'000 - 12, 4)},
        {"dickens.txt", texto.left(600'000 - 12)},
    };
    std::printf("\nEnd to end through the stand-in modem, unlimited air rate (best of 5):\n");
    for (const Caso& c : casos) {
        const QString ruta = QDir(a.dir.path()).filePath(QString::fromLatin1(c.nombre));
        QFile f(ruta);
        f.open(QIODevice::WriteOnly);
        f.write(c.contenido);
        f.close();
        double mejor = 1e9;
        bool integro = true;
        ReiniciarPico();
        const long reposo = Estado("VmRSS");
        long pico = 0;
        for (int vez = 0; vez < 5; ++vez) {
            const qsizetype hechos = pb.textoRecepcion().count(QLatin1String(" received @ "));
            a.operador.respuestas.push_back(ruta);
            const auto t0 = Clock::now();
            a.estacion->archivos().AccionEnviarArchivo();
            const bool llego = Esperar(
                [&] { return pb.textoRecepcion().count(QLatin1String(" received @ ")) > hechos; },
                fuentes);
            const double t = Segundos(t0);
            if (vez == 0) pico = Estado("VmHWM");
            Esperar([&] { return a.estacion->transmision().bytesPendientes == 0; }, fuentes);
            QFile recibido(QDir(b.dir.path()).filePath(QString::fromLatin1(c.nombre)));
            integro = integro && llego && recibido.open(QIODevice::ReadOnly) &&
                      recibido.readAll() == c.contenido;
            recibido.remove();
            mejor = std::min(mejor, t);
        }
        QFile::remove(ruta);
        double plano = 1e9;
        for (int vez = 0; vez < 5; ++vez)
            plano = std::min(plano, Loopback(c.contenido));
        std::printf("  %-12s %9lld bytes  %s  transfer %6.2f ms  loopback %5.2f ms  ratio %5.1f"
                    "  process peak +%.1f MiB\n",
                    c.nombre, static_cast<long long>(c.contenido.size() + 12),
                    integro ? "intact " : "DAMAGED", 1e3 * mejor, 1e3 * plano, mejor / plano,
                    double(pico - reposo) / 1024.0);
    }
    std::printf("  (transfer: from Send File to the file saved on the other side: reading,\n"
                "   compressing, both stations' sockets, the modem's air and the fsync'ed save;\n"
                "   process peak: sender, modem and receiver together, first run)\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    config::FijarPaginaDelSistema(1252);
    const QString corpus =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(KOLT_CORPUS_DIR);
    QTemporaryDir carpeta;
    Memoria(carpeta.path());
    CostePorByte(carpeta.path());
    Extremo(corpus);
    return 0;
}
