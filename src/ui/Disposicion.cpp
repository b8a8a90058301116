#include "ui/Disposicion.h"

#include <algorithm>
#include <cmath>

namespace kolt::ui {

namespace {
constexpr int kIzquierda = 120;
constexpr int kArriba = 120;
constexpr int kAltoTransmision = 615;
constexpr int kAltoProgreso = 135;
} // namespace

Disposicion CalcularDisposicion(int ancho, int alto)
{
    const int w = std::max(ancho, kAnchoMinimo);
    const int h = std::max(alto, kAltoMinimo);
    Disposicion d;
    d.ventana = QSize(w, h);
    d.recepcion = QRect(kIzquierda, kArriba, w - 330, h - 2490);
    d.transmision = QRect(kIzquierda, h - 1905, w - 1050, kAltoTransmision);
    d.progreso = QRect(kIzquierda, h - 2265, w - 330, kAltoProgreso);
    d.enviar = QPoint(w - 825, d.transmision.top());
    d.esperaTop = h - 2385;
    d.anchoIndicativos = w - 3895;
    return d;
}

int APixeles(int twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

int ATwips(int pixeles, double dpi)
{
    return static_cast<int>(std::lround(pixeles * 1440.0 / dpi));
}

} // namespace kolt::ui
