#pragma once
// A serial line and a PTT observer that write every call into one shared
// log, read in order: "panel TX", "write 00 00 00 00 08", "rts 1", ...

#include "keying/ControladorPTT.h"
#include "keying/LineaSerie.h"

#include <string>
#include <vector>

namespace kolt::keying::test {

using Registro = std::vector<std::string>;

class LineaSerieGrabadora final : public LineaSerie {
public:
    explicit LineaSerieGrabadora(Registro& registro) : m_registro(registro) {}

    ResultadoApertura siguienteApertura; // what the next open answers
    bool lineasModem = true;      // false: RTS/DTR refused, as on a pty

    ResultadoApertura open(const QString& device, std::string_view settings) override
    {
        if (m_abierto) return {ErrorApertura::Busy, {}};
        if (!siguienteApertura.ok()) return siguienteApertura;
        m_abierto = true;
        m_registro.push_back("open " + device.toStdString() + " " + std::string(settings));
        return {};
    }
    bool isOpen() const override { return m_abierto; }
    bool setRts(bool on) override { return linea("rts", on); }
    bool setDtr(bool on) override { return linea("dtr", on); }
    bool write(const QByteArray& bytes) override
    {
        if (!m_abierto) return false;
        m_registro.push_back("write " + bytes.toHex(' ').toUpper().toStdString());
        return true;
    }
    void close() override
    {
        m_abierto = false;
        m_registro.push_back("close");
    }

private:
    bool linea(const char* nombre, bool on)
    {
        if (!m_abierto) return false;
        if (!lineasModem) {
            m_registro.push_back(std::string(nombre) + " refused");
            return false;
        }
        m_registro.push_back(std::string(nombre) + (on ? " 1" : " 0"));
        return true;
    }

    Registro& m_registro;
    bool m_abierto = false;
};

class RecordingObserver final : public ObservadorPTT {
public:
    explicit RecordingObserver(Registro& registro) : m_registro(registro) {}

    void MostrarPTT(bool transmitiendo) override
    {
        m_registro.push_back(transmitiendo ? "panel TX" : "panel RX");
    }
    void Avisar(const QString& mensaje) override
    {
        m_registro.push_back("message " + mensaje.toStdString());
    }

private:
    Registro& m_registro;
};

} // namespace kolt::keying::test
