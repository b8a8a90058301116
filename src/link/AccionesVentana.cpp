// What the main window's own menu items do: font size, colours, Clear.

#include "link/Estacion.h"

#include <QDir>
#include <QFileInfo>

namespace kolt::link {

void Estacion::AccionTamanoFuente(int puntos)
{
    for (auto [n, item] : {std::pair{10, Control::mnuSize10}, std::pair{11, Control::mnuSize11},
                           std::pair{12, Control::mnuSize12}, std::pair{16, Control::mnuSize16},
                           std::pair{20, Control::mnuSize20}})
        m_modelo.Marcar(item, n == puntos);
    m_config.fontSize = static_cast<std::uint8_t>(puntos);
    m_modelo.FijarFuente(puntos);
}

void Estacion::AccionColor(const QString& colour)
{
    const bool blanco = colour == QLatin1String("White");
    m_config.colour = blanco ? QStringLiteral("White") : QStringLiteral("Black");
    m_modelo.Marcar(Control::mnuColorBlanco, blanco);
    m_modelo.Marcar(Control::mnuColorNegro, !blanco);
    if (blanco)
        m_modelo.FijarColores(0xFFFFFF, 0x000000);
    else
        m_modelo.FijarColores(0x000000, 0x00FF00);
}

void Estacion::AccionLimpiar()
{
    m_modelo.LimpiarRecepcion();
}

bool Estacion::ComprobarModemConectado()
{
    if (SocketsArriba()) return true;
    operador().Mensaje(
        Icono::Exclamacion,
        QStringLiteral("TCP port disconnected. KOLT Chat is not connected with KOLT Modem"));
    return false;
}

// A document beside the program, or the operator is told it is missing
// (each document has its own wording and icon for that).
void Estacion::AbrirDocumento(const QString& nombre, Icono icono, const QString& siFalta)
{
    const QString ruta = QDir(m_entorno.carpetaPrograma).filePath(nombre);
    if (QFileInfo::exists(ruta))
        operador().Abrir(ruta);
    else
        operador().Mensaje(icono, nombre + siFalta);
}

void Estacion::AbrirChangeLog()
{
    AbrirDocumento(QStringLiteral("KOLTChatChangeLog.txt"), Icono::Informacion,
                   QStringLiteral(" not found"));
}

void Estacion::AbrirGuia()
{
    AbrirDocumento(QStringLiteral("How to transmit a file with KOLT Chat.PDF"), Icono::Critico,
                   QStringLiteral(" file not found"));
}

} // namespace kolt::link
