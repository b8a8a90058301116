#include "keying/LineaSerieQt.h"

#include "keying/ComandosPTT.h"

#include <QFile>
#include <QTimer>
#include <QVariant>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kolt::keying {

namespace {

// A radio command is a few bytes; a device that takes none of them in
// this long is gone, and what it did not take is dropped.
constexpr int kEsperaSalidaMs = 2000;
// At the program's end, after the window has gone.
constexpr int kEsperaFinalMs = 500;

const char* const kDispositivo = "kolt.dispositivo";

QSerialPort::Parity paridadQt(Paridad p)
{
    switch (p) {
    case Paridad::Ninguna: return QSerialPort::NoParity;
    case Paridad::Par: return QSerialPort::EvenParity;
    case Paridad::Impar: return QSerialPort::OddParity;
    case Paridad::Marca: return QSerialPort::MarkParity;
    case Paridad::Espacio: return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QString rutaDispositivo(const QString& device)
{
    return device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
}

// QSerialPort reports EACCES and EBUSY alike; only the first is cured by
// joining the device's group, so tell them apart here.
ResultadoApertura falloPermiso(const QString& device)
{
#ifdef Q_OS_UNIX
    const QByteArray ruta = QFile::encodeName(rutaDispositivo(device));
    if (::access(ruta.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        ResultadoApertura r{ErrorApertura::PermissionDenied, {}};
        struct stat st {};
        if (::stat(ruta.constData(), &st) == 0)
            if (const group* g = ::getgrgid(st.st_gid))
                r.group = QString::fromLocal8Bit(g->gr_name);
        return r;
    }
#else
    Q_UNUSED(device);
#endif
    return {ErrorApertura::Busy, {}};
}

void Configurar(QSerialPort& puerto, const AjustesSerie& ajustes)
{
    puerto.setBaudRate(static_cast<qint32>(ajustes.baudios));
    puerto.setParity(paridadQt(ajustes.paridad));
    puerto.setDataBits(static_cast<QSerialPort::DataBits>(ajustes.bitsDatos));
    puerto.setStopBits(ajustes.bitsParada == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    puerto.setFlowControl(QSerialPort::NoFlowControl);
}

// Drops what the device never took, so that closing does not wait for it.
void CerrarYa(QSerialPort& puerto)
{
    if (puerto.bytesToWrite() > 0) puerto.clear(QSerialPort::Output);
    puerto.close();
    puerto.clearError();
}

} // namespace

LineaSerieQt::~LineaSerieQt()
{
    close();
    for (QSerialPort* s : m_salientes.findChildren<QSerialPort*>(Qt::FindDirectChildrenOnly)) {
        if (s->bytesToWrite() > 0) s->waitForBytesWritten(kEsperaFinalMs);
        CerrarYa(*s);
    }
}

ResultadoApertura LineaSerieQt::open(const QString& device, std::string_view settings)
{
    const auto ajustes = LeerAjustes(settings);
    if (!ajustes) return {ErrorApertura::BadSettings, {}};
    if (isOpen()) return {ErrorApertura::Busy, {}};

    // Still handing over its last bytes: take it back, queue and all.
    for (QSerialPort* s : m_salientes.findChildren<QSerialPort*>(Qt::FindDirectChildrenOnly)) {
        if (!s->isOpen() || s->property(kDispositivo).toString() != device) continue;
        QObject::disconnect(s, nullptr, &m_salientes, nullptr);
        qDeleteAll(s->findChildren<QTimer*>());
        s->setParent(nullptr);
        m_port.reset(s);
        Configurar(*m_port, *ajustes);
        return {};
    }

    m_port = std::make_unique<QSerialPort>();
    m_port->setProperty(kDispositivo, device);
    m_port->setPortName(device);
    Configurar(*m_port, *ajustes);

    // Nothing is ever read from the radio: write-only keeps its chatter out
    // of our buffers altogether.
    if (m_port->open(QIODevice::WriteOnly)) return {};

    const QSerialPort::SerialPortError error = m_port->error();
    m_port.reset();
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return {ErrorApertura::NotFound, {}};
    case QSerialPort::PermissionError: return falloPermiso(device);
    case QSerialPort::UnsupportedOperationError: return {ErrorApertura::BadSettings, {}};
    default: return {ErrorApertura::Other, {}};
    }
}

bool LineaSerieQt::isOpen() const
{
    return m_port && m_port->isOpen();
}

bool LineaSerieQt::setRts(bool on)
{
    if (!isOpen()) return false;
    const bool ok = m_port->setRequestToSend(on);
    if (!ok) m_port->clearError();
    return ok;
}

bool LineaSerieQt::setDtr(bool on)
{
    if (!isOpen()) return false;
    const bool ok = m_port->setDataTerminalReady(on);
    if (!ok) m_port->clearError();
    return ok;
}

// Queued behind whatever is still waiting, so commands leave in the order
// they were given; flush() writes what the device takes now, never waits.
bool LineaSerieQt::write(const QByteArray& bytes)
{
    if (!isOpen()) return false;
    if (m_port->write(bytes) != bytes.size()) {
        m_port->clearError();
        return false;
    }
    m_port->flush();
    return true;
}

qint64 LineaSerieQt::Pendientes() const
{
    qint64 n = m_port ? m_port->bytesToWrite() : 0;
    for (const QSerialPort* s : m_salientes.findChildren<QSerialPort*>(Qt::FindDirectChildrenOnly))
        n += s->bytesToWrite();
    return n;
}

void LineaSerieQt::close()
{
    if (!isOpen()) {
        m_port.reset();
        return;
    }
    m_port->flush();
    if (m_port->bytesToWrite() == 0) {
        CerrarYa(*m_port);
        m_port.reset();
        return;
    }
    Soltar(std::move(m_port));
}

void LineaSerieQt::Soltar(std::unique_ptr<QSerialPort> puerto)
{
    QSerialPort* s = puerto.release();
    s->setParent(&m_salientes);
    const auto terminar = [s] {
        CerrarYa(*s);
        s->setParent(nullptr); // no longer one to pick up again
        s->deleteLater();
    };
    QObject::connect(s, &QSerialPort::bytesWritten, &m_salientes, [s, terminar] {
        if (s->bytesToWrite() == 0) terminar();
    });
    auto* limite = new QTimer(s);
    limite->setSingleShot(true);
    QObject::connect(limite, &QTimer::timeout, &m_salientes, terminar);
    limite->start(kEsperaSalidaMs);
}

} // namespace kolt::keying
