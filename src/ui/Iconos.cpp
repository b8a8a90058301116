#include "ui/Iconos.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace kolt::ui {

namespace {

QPixmap Lienzo(int lado)
{
    QPixmap p(lado, lado);
    p.fill(Qt::transparent);
    return p;
}

QPixmap Lampara(QColor color, int lado)
{
    QPixmap p = Lienzo(lado);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1.5, 1.5, lado - 3, lado - 3);
    QRadialGradient brillo(r.center() - QPointF(lado / 6.0, lado / 6.0), lado / 1.6);
    brillo.setColorAt(0, color.lighter(180));
    brillo.setColorAt(1, color.darker(130));
    g.setBrush(brillo);
    g.setPen(QPen(color.darker(200), 1));
    g.drawEllipse(r);
    return p;
}

// Two plugs meeting: the radio link is up.
QPixmap Enlazado(int lado)
{
    QPixmap p = Lienzo(lado);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(0x20, 0x60, 0xC0), lado / 8.0, Qt::SolidLine, Qt::RoundCap));
    const double m = lado / 2.0;
    g.drawLine(QPointF(2, m), QPointF(lado - 2, m));
    g.setBrush(QColor(0x20, 0x60, 0xC0));
    g.drawEllipse(QPointF(lado * 0.25, m), lado / 6.0, lado / 6.0);
    g.drawEllipse(QPointF(lado * 0.75, m), lado / 6.0, lado / 6.0);
    return p;
}

// An arrow up (sending) or down (receiving).
QPixmap Flecha(bool arriba, QColor color, int lado)
{
    QPixmap p = Lienzo(lado);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QPainterPath f;
    const double w = lado, h = lado;
    f.moveTo(w * 0.5, h * 0.1);
    f.lineTo(w * 0.9, h * 0.5);
    f.lineTo(w * 0.65, h * 0.5);
    f.lineTo(w * 0.65, h * 0.9);
    f.lineTo(w * 0.35, h * 0.9);
    f.lineTo(w * 0.35, h * 0.5);
    f.lineTo(w * 0.1, h * 0.5);
    f.closeSubpath();
    if (!arriba) g.translate(0, h), g.scale(1, -1);
    g.setBrush(color);
    g.setPen(QPen(color.darker(160), 1));
    g.drawPath(f);
    return p;
}

// A cog wheel for the settings dialog.
QPixmap Rueda(int lado)
{
    QPixmap p = Lienzo(lado);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.translate(lado / 2.0, lado / 2.0);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x60, 0x60, 0x60));
    for (int i = 0; i < 8; ++i) {
        g.drawRect(QRectF(-lado * 0.08, -lado * 0.48, lado * 0.16, lado * 0.2));
        g.rotate(45);
    }
    g.drawEllipse(QPointF(0, 0), lado * 0.32, lado * 0.32);
    g.setBrush(Qt::white);
    g.drawEllipse(QPointF(0, 0), lado * 0.12, lado * 0.12);
    return p;
}

} // namespace

QPixmap Imagen(const QString& clave, int lado)
{
    if (clave == QLatin1String("LedRojo")) return Lampara(QColor(0xE0, 0x10, 0x10), lado);
    if (clave == QLatin1String("LedVerde")) return Lampara(QColor(0x10, 0xC0, 0x10), lado);
    if (clave == QLatin1String("Connected")) return Enlazado(lado);
    if (clave == QLatin1String("Subiendo")) return Flecha(true, QColor(0xE0, 0x80, 0x10), lado);
    if (clave == QLatin1String("Descargando")) return Flecha(false, QColor(0x10, 0x80, 0xE0), lado);
    if (clave == QLatin1String("Rueda")) return Rueda(lado);
    return {};
}

QIcon IconoEnviar()
{
    QIcon icono;
    for (int lado : {16, 24, 32}) {
        QPixmap p = Lienzo(lado);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        QPainterPath f;
        f.moveTo(lado * 0.1, lado * 0.15);
        f.lineTo(lado * 0.9, lado * 0.5);
        f.lineTo(lado * 0.1, lado * 0.85);
        f.lineTo(lado * 0.25, lado * 0.5);
        f.closeSubpath();
        g.setBrush(QColor(0x20, 0x90, 0x30));
        g.setPen(QPen(QColor(0x10, 0x50, 0x18), 1));
        g.drawPath(f);
        icono.addPixmap(p);
    }
    return icono;
}

QIcon IconoPrograma()
{
    QIcon icono;
    for (int lado : {16, 32, 48, 64}) {
        QPixmap p = Lienzo(lado);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        g.setBrush(QColor(0x10, 0x20, 0x30));
        g.setPen(Qt::NoPen);
        g.drawRoundedRect(QRectF(0, 0, lado, lado), lado * 0.18, lado * 0.18);
        // A mast radiating.
        g.setPen(QPen(QColor(0x00, 0xFF, 0x00), std::max(1.0, lado / 16.0), Qt::SolidLine,
                      Qt::RoundCap));
        g.drawLine(QPointF(lado * 0.5, lado * 0.85), QPointF(lado * 0.5, lado * 0.35));
        g.setBrush(Qt::NoBrush);
        for (double r : {0.18, 0.3}) {
            const QRectF arco(lado * (0.5 - r), lado * (0.35 - r), lado * 2 * r, lado * 2 * r);
            g.drawArc(arco, 30 * 16, 120 * 16);
        }
        icono.addPixmap(p);
    }
    return icono;
}

} // namespace kolt::ui
