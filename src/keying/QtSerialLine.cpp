#include "keying/QtSerialLine.h"

#include "keying/KeyingCommands.h"

#include <QFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kolt::keying {

namespace {

// A radio command is a few bytes; if the device takes longer than this to
// accept them it is gone, and the operator is not kept waiting.
constexpr int kEsperaEscrituraMs = 500;

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
OpenResult falloPermiso(const QString& device)
{
#ifdef Q_OS_UNIX
    const QByteArray ruta = QFile::encodeName(rutaDispositivo(device));
    if (::access(ruta.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        OpenResult r{OpenError::PermissionDenied, {}};
        struct stat st {};
        if (::stat(ruta.constData(), &st) == 0)
            if (const group* g = ::getgrgid(st.st_gid))
                r.group = QString::fromLocal8Bit(g->gr_name);
        return r;
    }
#else
    Q_UNUSED(device);
#endif
    return {OpenError::Busy, {}};
}

} // namespace

QtSerialLine::~QtSerialLine()
{
    close();
}

OpenResult QtSerialLine::open(const QString& device, std::string_view settings)
{
    const auto ajustes = LeerAjustes(settings);
    if (!ajustes) return {OpenError::BadSettings, {}};
    if (m_port.isOpen()) return {OpenError::Busy, {}};

    m_port.setPortName(device);
    m_port.setBaudRate(static_cast<qint32>(ajustes->baudios));
    m_port.setParity(paridadQt(ajustes->paridad));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(ajustes->bitsDatos));
    m_port.setStopBits(ajustes->bitsParada == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);

    // Nothing is ever read from the radio: write-only keeps its chatter out
    // of our buffers altogether.
    if (m_port.open(QIODevice::WriteOnly)) return {};

    const QSerialPort::SerialPortError error = m_port.error();
    m_port.clearError();
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return {OpenError::NotFound, {}};
    case QSerialPort::PermissionError: return falloPermiso(device);
    case QSerialPort::UnsupportedOperationError: return {OpenError::BadSettings, {}};
    default: return {OpenError::Other, {}};
    }
}

bool QtSerialLine::isOpen() const
{
    return m_port.isOpen();
}

bool QtSerialLine::setRts(bool on)
{
    if (!m_port.isOpen()) return false;
    const bool ok = m_port.setRequestToSend(on);
    if (!ok) m_port.clearError();
    return ok;
}

bool QtSerialLine::setDtr(bool on)
{
    if (!m_port.isOpen()) return false;
    const bool ok = m_port.setDataTerminalReady(on);
    if (!ok) m_port.clearError();
    return ok;
}

bool QtSerialLine::write(const QByteArray& bytes)
{
    if (!m_port.isOpen()) return false;
    if (m_port.write(bytes) != bytes.size()) {
        m_port.clearError();
        return false;
    }
    // QSerialPort writes from the event loop; push the command out now.
    m_port.flush();
    if (m_port.bytesToWrite() > 0) m_port.waitForBytesWritten(kEsperaEscrituraMs);
    if (m_port.bytesToWrite() == 0) return true;
    // A stuck command must not go out later, after the opposite one.
    m_port.clear(QSerialPort::Output);
    m_port.clearError();
    return false;
}

void QtSerialLine::close()
{
    if (!m_port.isOpen()) return;
    m_port.flush();
    m_port.close();
    m_port.clearError();
}

} // namespace kolt::keying
