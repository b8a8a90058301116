#include "ui/OperadorQt.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace kolt::ui {

void OperadorQt::Mensaje(model::Icono icono, const QString& texto)
{
    const QMessageBox::Icon q = icono == model::Icono::Critico       ? QMessageBox::Critical
                                : icono == model::Icono::Informacion ? QMessageBox::Information
                                                                    : QMessageBox::Warning;
    QMessageBox caja(q, QStringLiteral("KOLT Chat"), texto, QMessageBox::Ok, m_ventana);
    caja.exec();
}

QString OperadorQt::ElegirArchivo(const QString& carpeta, const QString& titulo)
{
    return QFileDialog::getOpenFileName(m_ventana, titulo, carpeta);
}

QString OperadorQt::ElegirCarpeta(const QString& inicio, const QString& titulo)
{
    return QFileDialog::getExistingDirectory(m_ventana, titulo, inicio, QFileDialog::ShowDirsOnly);
}

void OperadorQt::Abrir(const QString& direccion)
{
    const QUrl url =
        QFileInfo::exists(direccion) ? QUrl::fromLocalFile(direccion) : QUrl(direccion);
    QDesktopServices::openUrl(url);
}

} // namespace kolt::ui
