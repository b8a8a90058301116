#pragma once
// Where the main window's controls go for a given outer size, in twips
// (1/1440 inch), and the conversion to the screen's pixels.

#include <QRect>
#include <QSize>

namespace kolt::ui {

inline constexpr int kAnchoMinimo = 8145;
inline constexpr int kAltoMinimo = 6105;

struct Disposicion {
    QSize ventana;     // the size after the minimum-size snap
    QRect recepcion;   // txtMainChat
    QRect transmision; // txtTXChat
    QRect progreso;    // ProgressBar
    QPoint enviar;     // cmdEnviar's top-left
    int esperaTop = 0; // lblWait
    int anchoIndicativos = 0;
};

// The layout rules for an outer width and height in twips. The heights of
// the transmit box, progress bar and Send button are the window's design.
Disposicion CalcularDisposicion(int ancho, int alto);

// Twips at the screen's logical dots per inch (15 twips a pixel at 96 dpi).
int APixeles(int twips, double dpi);
int ATwips(int pixeles, double dpi);

} // namespace kolt::ui
