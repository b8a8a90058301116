#pragma once
// The rules of the setup dialog: what it shows when it loads, how it lays
// itself out for the modem variant, and the checks and changes it applies
// when it closes. The widget (ui/frmSetup) mirrors the fields and calls
// these operations; tests drive them headless against a running station.

#include "config/Variante.h"

#include <QString>

#include <array>
#include <cstdint>

namespace kolt::link {

class Estacion;
using config::Variante;

// The dialog's fields, as the operator typed them.
struct CamposSetup {
    Variante variante = Variante::Ninguna;
    QString anchoBanda; // "500", "2300", "2750"; empty: no option selected
    QString indicativo;
    std::array<QString, 3> host;   // by Indice
    std::array<QString, 3> puerto; // command ports
    QString hostKISS;
    QString puertoKISS;
    std::array<QString, 3> ruta; // modem program paths
    QString carpeta;             // "Download Folder"
    bool lanzar = false;         // "Automatically launch and close KOLT TNC"
    bool desconectar = false;    // "Disconnect automatically after sending file"
    bool log = false;            // "Save Log File"
};

// Which frames the dialog shows for its variant and launch box.
struct DisposicionSetup {
    std::array<bool, 3> marcoTCP{};  // fraHFTCP, fraFMTCP, fraSATTCP
    std::array<bool, 3> marcoRuta{}; // fraRutaKOLTHF, fraRutaKOLTFM, fraRutaKOLTSAT
    bool marcoAnchoBanda = false;    // fraBW
    bool operator==(const DisposicionSetup&) const = default;
};

// The field a refused check puts the focus back on.
enum class Campo { Ninguno, PuertoKISS, HostKISS, Puerto, Host, Indicativo };

// The value a port field stands for: its leading decimal digits (blanks
// before them skipped), 0 when there are none; very long numbers saturate.
std::int64_t ValorNumerico(const QString& texto);
// What a data-port field shows for its command port: that value plus one.
QString PuertoDatos(const QString& puertoComandos);
// The ports the dialog accepts: 1025 to 65534.
bool PuertoValido(const QString& texto);

class DialogoSetup {
public:
    explicit DialogoSetup(Estacion& estacion);

    // Fills the fields from the settings, clears the cancel flag and lays
    // the dialog out.
    void Cargar();

    CamposSetup& campos() { return m_campos; }
    const CamposSetup& campos() const { return m_campos; }

    // Lays the dialog out for the selected variant and marks the main
    // window's Mode items and its PTT item to match.
    DisposicionSetup GestionarModo();

    // The "Change" button: the folder picker, starting at the stored
    // download folder. A cancelled picker leaves the field alone.
    void Cambiar();

    // The Cancel button: the next close changes nothing.
    void Cancelar();
    bool cancelado() const { return m_cancelado; }

    // The dialog's unload. `cerrar` false keeps the dialog open (a refused
    // check, a link up, a modem program that cannot start); `foco` is the
    // field at fault, if any.
    struct Cierre {
        bool cerrar = true;
        Campo foco = Campo::Ninguno;
    };
    Cierre Cerrar();

private:
    Cierre Rechazar(const QString& mensaje, Campo foco);
    bool ModemCambiado(QString& relanzar);
    void CerrarSocketsQueCambian();
    void Guardar();

    Estacion& m_estacion;
    CamposSetup m_campos;
    bool m_cancelado = false;
};

} // namespace kolt::link
