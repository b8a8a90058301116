#pragma once
// The rules of the connect dialog: which fields show in each variant, the
// history lists offered, the call-sign checks, what is stored and when, and
// the call itself. The widget (ui/frmConnect) only binds its combo boxes to
// this and reports the operator's actions.

#include "config/Configuracion.h"
#include "model/Operador.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace kolt::link {

// The dialog's five fields, in the order of their checks and histories.
enum class CampoConectar { HF, FM, SAT, Via1, Via2 };
inline constexpr std::array<CampoConectar, 5> kCamposConectar = {
    CampoConectar::HF, CampoConectar::FM, CampoConectar::SAT, CampoConectar::Via1,
    CampoConectar::Via2};

// Moves each of the five settings fields to the front of its history.
void ActualizarHistorial(config::Configuracion& c);

// A history as the drop-down list shows it: up to the first empty slot.
QStringList EntradasHistorial(const config::Historial& lista);

// Why the Connect item does not open its dialog while CQ is disabled: a
// CQ or broadcast is still on its way out.
inline const QString kModemTransmitiendo = QStringLiteral("Not while the modem is transmitting");

// What the connect dialog uses of the station.
struct ServiciosConectar {
    config::Configuracion& config;
    model::Operador& operador;
    std::function<bool()> cerrando; // the program is closing: it saves by itself
    std::function<bool()> guardar;  // writes the settings file
    std::function<void()> conectar; // the call goes to the modem
    // A call started: the broadcast dialog closes.
    std::function<void()> conexionIniciada;
};

class DialogoConectar {
public:
    // The dialog's load: the fields take their settings.
    explicit DialogoConectar(ServiciosConectar servicios);

    // Whether a field (and its label) shows in the current variant; empty
    // for a variant this dialog does not know (the design's layout stays).
    std::optional<bool> Visible(CampoConectar campo) const;
    QStringList Lista(CampoConectar campo) const;

    const QString& Texto(CampoConectar campo) const { return m_textos[Indice(campo)]; }
    void FijarTexto(CampoConectar campo, const QString& texto);
    // A field lost the focus: its text goes to upper case.
    void Validar(CampoConectar campo);

    // The Connect button. Empty when the call went out; otherwise the field
    // that failed its check (the operator has been told).
    std::optional<CampoConectar> Conectar();
    // The dialog closes, with or without a call. Runs once.
    void Descargar();
    // After the dialog closed on a call: the broadcast dialog closes too.
    void AvisarConexion();

private:
    static std::size_t Indice(CampoConectar c) { return static_cast<std::size_t>(c); }
    bool Valido(CampoConectar campo, bool vacioValido) const;
    void GuardarPorModo();

    ServiciosConectar m_s;
    std::array<QString, 5> m_textos;
    bool m_descargado = false;
};

} // namespace kolt::link
