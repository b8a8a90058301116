#include "Ilustraciones.h"

#include "ui/Iconos.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace kolt::guia {

namespace {

// Drawn at twice the size they take on the page, for a sharp print; as
// wide as the text column.
constexpr qreal kEscala = 2.0;
constexpr int kAncho = 470;

QImage Lienzo(int ancho, int alto)
{
    QImage img(int(ancho * kEscala), int(alto * kEscala), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(kEscala);
    img.fill(Qt::white);
    return img;
}

QFont Letra(qreal puntos, bool negrita = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(puntos));
    f.setBold(negrita);
    return f;
}

void Caja(QPainter& g, const QRectF& r, const QColor& fondo, const QString& titulo,
          const QString& detalle)
{
    g.setPen(QPen(fondo.darker(160), 1.5));
    g.setBrush(fondo);
    g.drawRoundedRect(r, 8, 8);
    g.setPen(Qt::black);
    g.setFont(Letra(15, true));
    g.drawText(r.adjusted(0, 10, 0, -r.height() / 2), Qt::AlignCenter, titulo);
    g.setFont(Letra(11));
    g.drawText(r.adjusted(6, r.height() / 2, -6, -6),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, detalle);
}

// A two-headed arrow with its label above.
void Flecha(QPainter& g, QPointF a, QPointF b, const QStringList& rotulos)
{
    g.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
    g.drawLine(a, b);
    for (auto [punta, sentido] : {std::pair{a, 1.0}, std::pair{b, -1.0}}) {
        QPainterPath p;
        p.moveTo(punta);
        p.lineTo(punta + QPointF(10 * sentido, -5));
        p.lineTo(punta + QPointF(10 * sentido, 5));
        p.closeSubpath();
        g.fillPath(p, QColor(0x30, 0x30, 0x30));
    }
    g.setFont(Letra(10));
    const qreal linea = 14;
    qreal y = a.y() - 8 - linea * rotulos.size();
    for (const QString& r : rotulos) {
        // Wider than the arrow: a label may reach over the boxes' margins.
        g.drawText(QRectF((a.x() + b.x()) / 2 - 50, y, 100, linea), Qt::AlignCenter, r);
        y += linea;
    }
}

QImage Cadena()
{
    QImage img = Lienzo(kAncho, 150);
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF chat(5, 35, 110, 100), modem(180, 35, 110, 100), radio(355, 35, 110, 100);
    Caja(g, chat, QColor(0xD8, 0xF0, 0xD8), QStringLiteral("KOLT Chat"),
         QStringLiteral("you type, send files, read"));
    Caja(g, modem, QColor(0xD8, 0xE4, 0xF8), QStringLiteral("KOLT modem"),
         QStringLiteral("data to sound and back"));
    Caja(g, radio, QColor(0xF4, 0xE4, 0xC8), QStringLiteral("Radio"), QStringLiteral("on the air"));
    Flecha(
        g, QPointF(chat.right() + 4, 85), QPointF(modem.left() - 4, 85),
        {QStringLiteral("command 8300"), QStringLiteral("data 8301"), QStringLiteral("KISS 8100")});
    Flecha(g, QPointF(modem.right() + 4, 85), QPointF(radio.left() - 4, 85),
           {QStringLiteral("audio"), QStringLiteral("PTT")});
    return img;
}

// The status bar of a link sending a file, with the program's pictures.
QImage Estado()
{
    QImage img = Lienzo(kAncho, 70);
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(QRectF(0, 0, kAncho, 34), QColor(0xEC, 0xEC, 0xEC));
    struct Panel {
        qreal ancho;
        QString imagen, texto, rotulo;
    };
    const Panel paneles[] = {
        {50, QStringLiteral("LedRojo"), QStringLiteral("TX"), QStringLiteral("transmitting")},
        {195, QStringLiteral("Connected"), QStringLiteral("EA4XYZ-1 <-> N0CALL-2"),
         QStringLiteral("the link")},
        {135, QStringLiteral("Subiendo"), QStringLiteral("152 Bytes Sent"),
         QStringLiteral("transfer")},
        {60, QStringLiteral("LedVerde"), QStringLiteral("TCP"), QStringLiteral("modem")},
    };
    qreal x = 6;
    for (const Panel& p : paneles) {
        const QRectF r(x, 5, p.ancho, 24);
        g.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
        g.setBrush(Qt::NoBrush);
        g.drawRect(r);
        g.drawPixmap(QPointF(r.left() + 4, r.top() + 4), ui::Imagen(p.imagen, 16));
        g.setPen(Qt::black);
        g.setFont(Letra(12));
        g.drawText(r.adjusted(24, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, p.texto);
        g.setPen(QColor(0x50, 0x50, 0x50));
        g.setFont(Letra(10));
        g.drawText(QRectF(r.center().x() - 50, 38, 100, 24), Qt::AlignHCenter | Qt::AlignTop,
                   p.rotulo);
        x += p.ancho + 4;
    }
    return img;
}

// The menu bar with Send File picked out.
QImage Menu()
{
    QImage img = Lienzo(kAncho, 34);
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(QRectF(0, 0, kAncho, 30), QColor(0xF2, 0xF2, 0xF2));
    g.setFont(Letra(11));
    const QFontMetricsF m(g.font());
    qreal x = 8;
    for (const char* item :
         {"Settings", "Mode", "Connect", "CQ", "Broadcast", "Stop", "Clear", "Send File", "Help"}) {
        const QString texto = QString::fromLatin1(item);
        const QRectF r(x, 3, m.horizontalAdvance(texto) + 10, 24);
        const bool elegido = texto == QLatin1String("Send File");
        if (elegido) {
            g.setPen(QPen(QColor(0x20, 0x60, 0xC0), 2));
            g.setBrush(QColor(0xD0, 0xE0, 0xF8));
            g.drawRoundedRect(r, 4, 4);
        }
        g.setPen(texto == QLatin1String("Mode") ? QColor(0xA0, 0xA0, 0xA0) : QColor(Qt::black));
        g.drawText(r, Qt::AlignCenter, texto);
        x = r.right() + 2;
    }
    return img;
}

} // namespace

std::vector<Ilustracion> Ilustraciones()
{
    return {{QStringLiteral("cadena"), Cadena()},
            {QStringLiteral("estado"), Estado()},
            {QStringLiteral("menu"), Menu()}};
}

} // namespace kolt::guia
