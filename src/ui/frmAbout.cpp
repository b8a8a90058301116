#include "ui/frmAbout.h"

#include "link/Estacion.h"
#include "ui/Iconos.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kolt::ui {

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent),
      m_lblVersion(
          new QLabel(QStringLiteral("Version ") + link::kVersion + QStringLiteral("    "), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About KOLT Chat"));
    setModal(true);

    auto* icono = new QLabel(this);
    icono->setPixmap(IconoPrograma().pixmap(64, 64));
    icono->setAccessibleName(QStringLiteral("Program icon"));
    auto* nombre = new QLabel(QStringLiteral("KOLT Chat"), this);
    QFont grande = nombre->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.8);
    grande.setBold(true);
    nombre->setFont(grande);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* autores =
        new QLabel(QStringLiteral("Keyboard-to-keyboard chat and file transfer over "
                                  "a sound-card modem.\nMade by the KOLT Chat developers."),
                   this);
    auto* cmdOK = new QPushButton(QStringLiteral("Close"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* textos = new QVBoxLayout;
    textos->addWidget(nombre);
    textos->addWidget(m_lblVersion);
    textos->addSpacing(8);
    textos->addWidget(autores);
    auto* arriba = new QHBoxLayout;
    arriba->addWidget(icono, 0, Qt::AlignTop);
    arriba->addLayout(textos);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(arriba);
    todo->addWidget(cmdOK, 0, Qt::AlignRight);
    setFixedSize(sizeHint());
    cmdOK->setFocus(); // its only control: Enter, Space or Escape close it
}

} // namespace kolt::ui
