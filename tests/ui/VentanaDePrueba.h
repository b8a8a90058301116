#pragma once
// What the widget tests share: a started station with its main window, and
// a modal dialog driven from inside its own loop.

#include "ui/frmKoltChat.h"

#include "Esperar.h"
#include "EstacionDePrueba.h"
#include "QtImprimir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace kolt::test {

// Runs `disparar`, then `guion` on the modal `D` it opens; false when none
// opened. A dialog the script leaves open fails, and is closed.
template <typename D>
bool ConDialogoModal(const std::function<void()>& disparar, const std::function<void(D&)>& guion)
{
    bool visto = false;
    QTimer buscar;
    buscar.setInterval(10);
    QObject::connect(&buscar, &QTimer::timeout, [&] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!d) return;
        buscar.stop();
        visto = true;
        guion(*d);
        if (d->isVisible()) {
            ADD_FAILURE() << d->objectName().toStdString() << " is still open";
            d->done(QDialog::Rejected);
        }
    });
    buscar.start();
    disparar();
    Esperar([&] { return visto; }, 300);
    return visto;
}

// The keyboard focus for `caja`: completion works only in the focused box.
inline bool Enfocar(QWidget* ventana, QWidget* caja)
{
    return Esperar([&] {
        ventana->activateWindow();
        caja->setFocus();
        return caja->hasFocus();
    });
}

class VentanaDePrueba : public ::testing::Test {
protected:
    // A station started with EstacionDePrueba's arguments, and its main window.
    template <typename... A> ui::frmKoltChat& Abrir(A&&... argumentos)
    {
        m_ventana.reset();
        m_e = std::make_unique<EstacionDePrueba>(std::forward<A>(argumentos)...);
        EXPECT_TRUE(m_e->listo);
        m_ventana = std::make_unique<ui::frmKoltChat>(**m_e);
        m_ventana->show();
        return *m_ventana;
    }

    // Before the derived fixture's members, which the station may use.
    void TearDown() override
    {
        m_ventana.reset();
        m_e.reset();
    }

    std::unique_ptr<EstacionDePrueba> m_e;
    std::unique_ptr<ui::frmKoltChat> m_ventana;
};

} // namespace kolt::test
