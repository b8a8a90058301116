// What the main window's own menu items do: font size, colours, Clear.

#include "link/Estacion.h"

#include <QDir>
#include <QFileInfo>

namespace kolt::link {

void Estacion::AccionTamanoFuente(int puntos)
{
    for (int n : {10, 11, 12, 16, 20})
        m_modelo.Marcar(QStringLiteral("mnuSize%1").arg(n), n == puntos);
    m_config.fontSize = static_cast<std::uint8_t>(puntos);
    m_modelo.FijarFuente(puntos);
}

void Estacion::AccionColor(const QString& colour)
{
    const bool blanco = colour == QLatin1String("White");
    m_config.colour = blanco ? QStringLiteral("White") : QStringLiteral("Black");
    m_modelo.Marcar(QStringLiteral("mnuColorBlanco"), blanco);
    m_modelo.Marcar(QStringLiteral("mnuColorNegro"), !blanco);
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
