#pragma once
// The radio serial port on a real device, through QSerialPort.

#include "keying/SerialLine.h"

#include <QSerialPort>

namespace kolt::keying {

class QtSerialLine final : public SerialLine {
public:
    QtSerialLine() = default;
    ~QtSerialLine() override;

    OpenResult open(const QString& device, std::string_view settings) override;
    bool isOpen() const override;
    bool setRts(bool on) override;
    bool setDtr(bool on) override;
    bool write(const QByteArray& bytes) override;
    void close() override;

private:
    QSerialPort m_port;
};

} // namespace kolt::keying
