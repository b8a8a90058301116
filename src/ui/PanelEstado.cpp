#include "ui/PanelEstado.h"

#include "ui/Iconos.h"

#include <QHBoxLayout>
#include <QLabel>

namespace kolt::ui {

PanelEstado::PanelEstado(Qt::Alignment alineacion, bool biselado, QWidget* parent)
    : QFrame(parent), m_imagen(new QLabel(this)), m_texto(new QLabel(this))
{
    setFrameShape(biselado ? QFrame::Panel : QFrame::NoFrame);
    setFrameShadow(QFrame::Sunken);
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(2, 0, 2, 0);
    fila->setSpacing(3);
    m_texto->setAlignment(alineacion | Qt::AlignVCenter);
    if (alineacion & Qt::AlignRight) fila->addStretch();
    fila->addWidget(m_imagen);
    fila->addWidget(m_texto, alineacion & Qt::AlignRight ? 0 : 1);
    m_imagen->hide();
}

void PanelEstado::Mostrar(const model::EstadoPanel& estado)
{
    m_texto->setText(estado.texto);
    setToolTip(estado.tooltip);
    if (estado.imagen != m_clave) {
        m_clave = estado.imagen;
        const QPixmap p = Imagen(m_clave);
        m_imagen->setPixmap(p);
        m_imagen->setVisible(!p.isNull());
    }
}

int PanelEstado::AnchoPara(const model::EstadoPanel& muestra)
{
    const model::EstadoPanel antes{m_texto->text(), m_clave, toolTip()};
    Mostrar(muestra);
    const int ancho = minimumSizeHint().width();
    Mostrar(antes);
    return ancho;
}

QString PanelEstado::texto() const
{
    return m_texto->text();
}

} // namespace kolt::ui
