#include "ui/Accesibilidad.h"

#include "ui/PanelEstado.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace kolt::ui {

namespace {

// A status panel is one piece of text to the reader: its inner picture and
// label would otherwise be read as nameless children. The margin panel,
// which has no name, is not presented at all.
class PanelAccesible : public QAccessibleWidget {
public:
    explicit PanelAccesible(QWidget* panel) : QAccessibleWidget(panel, QAccessible::StaticText) {}
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (widget()->accessibleName().isEmpty()) s.invisible = true;
        return s;
    }
};

QAccessibleInterface* Fabrica(const QString&, QObject* objeto)
{
    if (auto* panel = qobject_cast<PanelEstado*>(objeto)) return new PanelAccesible(panel);
    if (auto* anunciador = qobject_cast<Anunciador*>(objeto))
        return new QAccessibleWidget(anunciador, QAccessible::Notification);
    return nullptr;
}

QString Palabras(const QString& imagen)
{
    if (imagen == QLatin1String("LedRojo")) return QStringLiteral("red lamp");
    if (imagen == QLatin1String("LedVerde")) return QStringLiteral("green lamp");
    if (imagen == QLatin1String("Connected")) return QStringLiteral("linked stations picture");
    if (imagen == QLatin1String("Subiendo")) return QStringLiteral("sending arrow");
    if (imagen == QLatin1String("Descargando")) return QStringLiteral("receiving arrow");
    return {};
}

QString ONinguno(const QString& texto)
{
    return texto.isEmpty() ? QStringLiteral("none") : texto;
}

} // namespace

void InstalarAccesibilidad()
{
    static const bool instalada = [] {
        QAccessible::installFactory(Fabrica);
        return true;
    }();
    (void)instalada;
}

QString NombrePanel(model::Panel panel, const model::EstadoPanel& e)
{
    switch (panel) {
    case model::Panel::Margen1: return {};
    case model::Panel::PTT: {
        // The lamp and the two letters say the same thing: which way the radio is.
        const QString sentido = e.texto == QLatin1String("TX")   ? QStringLiteral("transmit")
                                : e.texto == QLatin1String("RX") ? QStringLiteral("receive")
                                                                 : ONinguno(e.texto);
        return QStringLiteral("PTT: ") + sentido;
    }
    case model::Panel::Indicativos: return QStringLiteral("Link: ") + ONinguno(e.texto);
    case model::Panel::Bytes: {
        QString texto = e.texto;
        texto.replace(QLatin1String(" Rcvd"), QLatin1String(" Received"));
        return QStringLiteral("Transfer: ") + ONinguno(texto);
    }
    case model::Panel::TCP: {
        // The panel's text never changes; only its lamp tells the state.
        const QString estado =
            e.imagen == QLatin1String("LedVerde")  ? QStringLiteral("TCP connected")
            : e.imagen == QLatin1String("LedRojo") ? QStringLiteral("TCP disconnected")
                                                   : ONinguno(e.texto);
        return QStringLiteral("Modem: ") + estado;
    }
    }
    return {};
}

QString DescripcionPanel(const model::EstadoPanel& estado)
{
    return Palabras(estado.imagen);
}

void Nombrar(QWidget* control, const QString& nombre, const QString& descripcion)
{
    control->setAccessibleName(nombre);
    if (!descripcion.isEmpty()) control->setAccessibleDescription(descripcion);
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        Nombrar(combo->lineEdit(), nombre, descripcion);
}

void OrdenTabulacion(std::initializer_list<QWidget*> controles)
{
    QWidget* anterior = nullptr;
    for (QWidget* w : controles) {
        if (anterior) QWidget::setTabOrder(anterior, w);
        anterior = w;
    }
}

Anunciador::Anunciador(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Anunciador"));
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide(); // not presented until it has something to say
}

void Anunciador::Anunciar(const QString& texto)
{
    // Hidden and shown again: the reader presents a notification as it
    // appears, whatever has the focus.
    hide();
    setAccessibleName(texto);
    show();
    QAccessibleEvent alerta(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alerta);
}

} // namespace kolt::ui
