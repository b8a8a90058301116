#pragma once
// The rules of the PTT settings dialog frmPTT, over plain values: the lists
// and their selections, the method, pin and line options, the CI-V address
// field and which controls are visible. The widget binds to it:
//
//   LogicaDialogoPTT logica(configuracion, PuertosOfrecidos());  // each show
//   logica.Cargar();
//   ... redraw from the accessors; forward every user action to the
//   matching Seleccionar/Marcar/Escribir call; redraw again ...
//   on "Close" or the close box: CierrePTT c = logica.Cerrar(Cerrando);
//     !c.cerrar       -> critical message c.aviso ("KOLT Chat"), focus the
//                        CI-V field, stay open
//     c.reabrirPuerto -> ControladorPTT::AbrirPuertoRadio, GuardarConfiguracion
//   While the main window closes the dialog always closes, and leaves the
//   port and the file to the main window.
//
// Every selection writes the settings record at once, as the handlers of
// the dialog do; a selection made by the logic runs the same handler chain
// as the operator's (brand -> model -> speed).

#include "config/Configuracion.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kolt::keying {

struct ListaDialogo {
    QStringList elementos;
    int seleccion = -1; // -1: nothing selected
    QString Seleccionado() const { return elementos.value(seleccion); }
};

// One flag per group of controls that show and hide together.
struct VisibilidadPTT {
    bool marca = false;        // lblMarca, cboMarcas
    bool modelo = false;       // lblModel, cboModelos
    bool puerto = false;       // lblPuerto
    bool puertoCAT = false;    // cboCATCOM
    bool puertoPTT = false;    // cboPTTCOM
    bool baudios = false;      // lblBauds, cboBaudios
    bool lineas = false;       // chkRTS, chkDTR
    bool pin = false;          // fraPin with optRTS, optDTR, optRTSDTR
    bool direccionCIV = false; // lblIcomAddress, txtIcomAddress
    bool operator==(const VisibilidadPTT&) const = default;
};

struct CierrePTT {
    bool cerrar = true;
    QString aviso;              // when !cerrar
    bool reabrirPuerto = false; // the main window is not closing
};

class LogicaDialogoPTT {
public:
    // `puertos` fills both port lists (see PuertosOfrecidos). `alCambiar`
    // runs after each write to the settings record, so that a radio keyed
    // the old way is unkeyed before the new way is used
    // (ControladorPTT::AjustesCambiados).
    LogicaDialogoPTT(config::Configuracion& ajustes, QStringList puertos,
                     std::function<void()> alCambiar = {});

    void Cargar();

    void SeleccionarMarca(int indice);
    void SeleccionarModelo(int indice);
    void SeleccionarBaudios(int indice);
    // A list entry or a typed name, when the edit is committed; blank
    // text is ignored.
    void SeleccionarPuertoCAT(const QString& nombre);
    void SeleccionarPuertoPTT(const QString& nombre);
    void SeleccionarVia(int via); // 1 CAT, 2 COM, 3 VOX/ZT-Board
    void SeleccionarPin(int pin); // 1 RTS, 2 DTR, 3 RTS+DTR
    void MarcarRTS(bool marcado);
    void MarcarDTR(bool marcado);
    void EscribirDireccionCIV(const QString& texto);

    CierrePTT Cerrar(bool cerrandoVentanaPrincipal);

    const ListaDialogo& Marcas() const { return m_marcas; }
    const ListaDialogo& Modelos() const { return m_modelos; }
    const ListaDialogo& Baudios() const { return m_baudios; }
    const ListaDialogo& PuertosCAT() const { return m_puertosCAT; }
    const ListaDialogo& PuertosPTT() const { return m_puertosPTT; }
    int Via() const { return m_via; } // 0 until an option is selected
    int Pin() const { return m_pin; }
    bool RTS() const { return m_rts; }
    bool DTR() const { return m_dtr; }
    const QString& DireccionCIV() const { return m_textoCIV; }
    VisibilidadPTT Visibilidad() const;

private:
    void cargarPuertos(ListaDialogo& lista, QString& ajuste);
    void seleccionarPuerto(ListaDialogo& lista, QString& ajuste, const QString& nombre);
    void avisarCambio();

    config::Configuracion& m_ajustes;
    std::function<void()> m_alCambiar;
    ListaDialogo m_marcas;
    ListaDialogo m_modelos;
    ListaDialogo m_baudios;
    ListaDialogo m_puertosCAT;
    ListaDialogo m_puertosPTT;
    int m_via = 0;
    int m_pin = 0;
    bool m_rts = false;
    bool m_dtr = false;
    QString m_textoCIV;
    bool m_civVisible = false;
};

} // namespace kolt::keying
