#pragma once
// What the main window shows, as plain values. The station logic changes it
// and says what changed; the window redraws from it; tests assert on it.
//
// Controls and menu items are named as the window names them (Control::mnuStop,
// Control::cmdEnviar), status panels by their keys ("TCP", "PTT").

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <initializer_list>

namespace kolt::model {

// The receive screen keeps this many characters when a completed message is added.
inline constexpr qsizetype kRecepcionMaxima = 64000;
// Lines end so on the screen and on the wire.
inline const QString kFinLinea = QStringLiteral("\r\n");

// Status bar panels, in the order they stand in the bar.
enum class Panel { Margen1, PTT, Indicativos, Bytes, TCP };
inline constexpr std::array<Panel, 5> kPaneles = {Panel::Margen1, Panel::PTT, Panel::Indicativos,
                                                  Panel::Bytes, Panel::TCP};
QString ClavePanel(Panel p);

// The window's fixed menu items and the controls the logic shows, hides,
// enables or marks; each enumerator is the object name the window gives it.
enum class Control : std::uint8_t {
    mnuSetup,
    mnuPTT,
    mnuSize10,
    mnuSize11,
    mnuSize12,
    mnuSize16,
    mnuSize20,
    mnuColorNegro,
    mnuColorBlanco,
    mnuMode,
    mnuKOLTHF,
    mnuKOLTFM1200,
    mnuKOLTSAT,
    mnuConnect,
    mnuCQ,
    mnuBroadcast,
    mnuStop,
    mnuClear,
    mnuSendFile,
    mnuGuide,
    mnuChangeLog,
    mnuAbout,
    cmdEnviar,
    lblWait,
    ProgressBar,
    txtTXChat,
};
inline constexpr std::size_t kControles = std::size_t(Control::txtTXChat) + 1;
QString NombreControl(Control c);

struct EstadoPanel {
    QString texto;
    QString imagen; // key of a picture ("LedRojo", "Connected"...); empty: none
    QString tooltip;
    bool operator==(const EstadoPanel&) const = default;
};

struct EstadoControl {
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool operator==(const EstadoControl&) const = default;
};

// Where and how big the window is, in twips, as the settings keep it.
struct Geometria {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    int state = 0; // 0 normal, 1 minimised, 2 maximised
};

class ModeloVentana : public QObject {
    Q_OBJECT
public:
    ModeloVentana();

    // Receive screen (txtMainChat). The text keeps CR LF line ends: it is
    // what the session log saves.
    const QString& textoRecepcion() const { return m_recepcion; }
    void AgregarRecepcion(const QString& texto);
    // Appends and then keeps only the last `maximo` characters.
    void AgregarRecepcionCortando(const QString& texto, qsizetype maximo);
    void LimpiarRecepcion();

    // Transmit box (txtTXChat): the window reports the operator's typing.
    const QString& textoTransmision() const { return m_transmision; }
    void FijarTextoTransmision(const QString& texto);

    EstadoControl control(Control c) const { return m_controles[std::size_t(c)]; }
    void Habilitar(Control c, bool enabled);
    void Habilitar(std::initializer_list<Control> controles, bool enabled);
    void Mostrar(Control c, bool visible);
    void Marcar(Control c, bool checked);

    EstadoPanel panel(Panel p) const { return m_paneles[static_cast<int>(p)]; }
    void FijarPanel(Panel p, const EstadoPanel& estado);
    void FijarTextoPanel(Panel p, const QString& texto);
    void FijarImagenPanel(Panel p, const QString& imagen);
    void FijarTooltipPanel(Panel p, const QString& tooltip);

    int progreso() const { return m_progreso; }
    void FijarProgreso(int valor);

    QString titulo() const { return m_titulo; }
    void FijarTitulo(const QString& titulo);

    int tamanoFuente() const { return m_fuente; }
    // Colours as 0xRRGGBB: the logic links no GUI library.
    quint32 fondo() const { return m_fondo; }
    quint32 letra() const { return m_letra; }
    void FijarFuente(int puntos);
    void FijarColores(quint32 fondo, quint32 letra);

    Geometria geometria() const { return m_geometria; }
    void FijarGeometria(const Geometria& g);

    // Asks the window to put the keyboard focus in the transmit box.
    void EnfocarTransmision() { emit focoTransmision(); }

    // Something the operator must hear at once, wherever the focus is (a
    // link up or down, a file received or not saved).
    void Anunciar(const QString& texto) { emit anuncio(texto); }

signals:
    void recepcionAgregada(const QString& texto); // appended at the end
    // Cut or cleared: redraw whole. A cut follows the recepcionAgregada of
    // the text that caused it, so the new text can be shown as appended.
    void recepcionReemplazada();
    void transmisionCambiada();
    void controlesCambiados();
    void panelesCambiados();
    void progresoCambiado();
    void tituloCambiado();
    void aspectoCambiado(); // font or colours
    void geometriaCambiada();
    void focoTransmision();
    void anuncio(const QString& texto);

private:
    QString m_recepcion;
    QString m_transmision;
    std::array<EstadoControl, kControles> m_controles;
    std::array<EstadoPanel, kPaneles.size()> m_paneles;
    int m_progreso = 0;
    QString m_titulo;
    int m_fuente = 10;
    quint32 m_fondo = 0x000000;
    quint32 m_letra = 0x00FF00;
    Geometria m_geometria;
};

} // namespace kolt::model
