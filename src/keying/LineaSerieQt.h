#pragma once
// The radio serial port on a real device, through QSerialPort.
//
// Nothing here waits on the device: a write hands the bytes to the port's
// queue and pushes out what the device takes now; the rest follows from
// the event loop, in order. A port closed with bytes still queued stays
// open out of sight until they are out (or for a bounded time, if the
// device takes nothing), so an unkey written just before close() still
// reaches the radio; reopening that device picks the port up again with
// its queue, so nothing written later overtakes it.

#include "keying/LineaSerie.h"

#include <QObject>
#include <QSerialPort>

#include <memory>

namespace kolt::keying {

class LineaSerieQt final : public LineaSerie {
public:
    LineaSerieQt() = default;
    ~LineaSerieQt() override;

    ResultadoApertura open(const QString& device, std::string_view settings) override;
    bool isOpen() const override;
    bool setRts(bool on) override;
    bool setDtr(bool on) override;
    bool write(const QByteArray& bytes) override;
    void close() override;

    // Bytes handed to write() that the device has not taken yet.
    qint64 Pendientes() const;

private:
    void Soltar(std::unique_ptr<QSerialPort> puerto);

    std::unique_ptr<QSerialPort> m_port;
    QObject m_salientes; // closed ports still handing over their last bytes
};

} // namespace kolt::keying
