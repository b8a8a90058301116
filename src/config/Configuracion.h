#pragma once
// The settings record: every key of "KOLT Chat.ini", loaded once at
// start-up and written back whole. Field names follow the ini keys.
//
// Ports are unsigned 16-bit so that every port the setup dialog accepts
// (1025 to 65534) can be held; the data port is the command port + 1.

#include "config/Variante.h"

#include <QString>

#include <array>
#include <cstdint>

namespace kolt::config {

inline constexpr int kHistorial = 15; // slots of each call-sign history
using Historial = std::array<QString, kHistorial>;

// "KOLT Mode" in the record: the variant, and for a text that names none the
// text itself, so that saving writes back what was read.
class ModoKolt {
public:
    ModoKolt(Variante v = Variante::HF) : m_variante(v) {}
    // As the ini holds it. Older versions stored the FM variant with its
    // speed ("KOLTFM1200").
    static ModoKolt DesdeTexto(const QString& texto);
    QString Texto() const;
    Variante variante() const { return m_variante; }
    bool operator==(Variante v) const { return m_variante == v; }
    bool operator==(const ModoKolt&) const = default;

private:
    Variante m_variante;
    QString m_texto; // with Ninguna only
};

struct Configuracion {
    // [PTT]
    std::uint8_t rig = 52;
    QString pttPort = QStringLiteral("COM1");
    QString catPort = QStringLiteral("COM1");
    QString baud = QStringLiteral("4800");
    std::uint8_t pin = 1; // 1 RTS, 2 DTR, 3 both
    std::uint8_t rts = 0;
    std::uint8_t dtr = 0;
    std::uint8_t via = 3; // 1 CAT, 2 serial line, 3 VOX
    QString icomAddress;

    // [Setup]
    std::uint16_t hfTcpPort = 8300;
    std::uint16_t fmTcpPort = 8300;
    std::uint16_t satTcpPort = 8300;
    std::uint16_t kissTcpPort = 8100;
    QString hfHost = QStringLiteral("localhost");
    QString fmHost = QStringLiteral("localhost");
    QString satHost = QStringLiteral("localhost");
    QString kissHost = QStringLiteral("localhost");
    QString myCallsign = QStringLiteral("N0CALL-1");
    QString connectWithHF = QStringLiteral("N0CALL-2");
    QString connectWithFM = QStringLiteral("N0CALL-2");
    QString connectWithSAT = QStringLiteral("N0CALL-2");
    QString via1;
    QString via2;
    ModoKolt koltMode;
    QString koltHFBW = QStringLiteral("2300");
    std::uint8_t autoDisconnect = 0;
    std::uint8_t autoLaunch = 1;
    std::uint8_t saveLog = 1;
    QString koltHFPath; // platform default filled by the store
    QString koltFMPath;
    QString koltSATPath;
    std::uint8_t fontSize = 10;
    QString colour = QStringLiteral("Black");
    Historial connectHFList;
    Historial connectFMList;
    Historial connectSATList;
    Historial via1List;
    Historial via2List;

    // [Position] (twips)
    std::int32_t topPosition = 870;
    std::int32_t leftPosition = 2325;
    std::int32_t terminalWidth = 8145;
    std::int32_t terminalHeight = 6105;
    std::int16_t windowState = 0; // 0 normal, 1 minimised, 2 maximised

    // [Path]
    QString loadPathFile; // desktop folder by default
    QString savePathFile;
    QString downloadFolder;

    bool operator==(const Configuracion&) const = default;
};

// The fields of the record that belong to each variant.
struct CamposVariante {
    QString Configuracion::*host;
    std::uint16_t Configuracion::*puerto; // command port
    QString Configuracion::*ruta;         // the modem program
    QString Configuracion::*destino;      // "Connect With ..."
};
// Ninguna gets FM's, as the command channel counts it.
const CamposVariante& CamposDe(Variante v);
// "HF", "FM", "SAT" as captions, messages and log names show the variant.
QString NombreDe(Variante v);

// The mode-dependent fields, chosen by "KOLT Mode" as the command channel
// chooses them: HF, SAT, anything else counts as FM.
QString HostDelModo(const Configuracion& c);
std::uint16_t PuertoDelModo(const Configuracion& c);
// "Connect With HF/FM/SAT" of the current mode; null for any other mode,
// which calls nobody.
const QString* DestinoDelModo(const Configuracion& c);
// The modem program of the current mode; empty for any other mode.
QString RutaDelModo(const Configuracion& c);

} // namespace kolt::config
