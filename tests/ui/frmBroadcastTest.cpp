// The broadcast dialog, offscreen, opened from the main window's menu,
// bound to broadcast/DialogoBroadcast.h (whose rules tests/broadcast
// checks): the 500-character box, the Enter key, the focus after a failed
// check, the colours and the ways it closes.

#include "ui/frmBroadcast.h"

#include "ModemDePrueba.h"
#include "VentanaDePrueba.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;
using ui::frmBroadcast;

namespace {

class BroadcastTest : public test::VentanaDePrueba {
protected:
    frmBroadcast* Abrir(const QString& setup)
    {
        VentanaDePrueba::Abrir(setup, m_modem.puerto(), m_kiss.puerto());
        EXPECT_TRUE(m_e->Arriba());
        return Dialogo();
    }

    frmBroadcast* Dialogo()
    {
        m_ventana->accion("mnuBroadcast")->trigger();
        return m_ventana->findChild<frmBroadcast*>();
    }

    // The dialog goes once it has closed (a deferred delete, which the
    // test's own event processing must be told to run).
    bool Cerrado()
    {
        return Esperar([&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return !m_ventana->findChild<frmBroadcast*>();
        });
    }

    test::ModemDePrueba m_modem;
    test::ServidorKISS m_kiss;
};

TEST_F(BroadcastTest, TypingStopsAtFiveHundredCharactersAndEnterSends)
{
    frmBroadcast* d = Abrir("KOLT Mode=KOLTSAT\r\n");
    QTest::keyClicks(d->txtMensaje(), "hello world!" + QString(495, QLatin1Char('x')));
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "500/500");
    QTest::keyClick(d->txtMensaje(), Qt::Key_Return);
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ(m_e->Pantalla(),
              QStringList({"> ALL: N0CALL-1 hello world!" + QString(488, 'x') + "  hh:mm:ss"}))
        << "the Enter key sends, never entering a line break";
    EXPECT_FALSE(m_ventana->accion("mnuBroadcast")->isEnabled());
}

// A digipeater is sent as typed, not completed from its history; an
// invalid one keeps the dialog open with the focus on it.
TEST_F(BroadcastTest, ADigipeaterIsCheckedAndSentAsTyped)
{
    frmBroadcast* d = Abrir("KOLT Mode=KOLTFM\r\nVia1 List0=RELAY-12\r\n");
    ASSERT_TRUE(test::Enfocar(d, d->cboVia1()));
    QTest::keyClicks(d->cboVia1(), QStringLiteral("RELAY-1"));
    QTest::keyClicks(d->txtMensaje(), QStringLiteral("hi"));
    d->cboVia2()->setEditText(QStringLiteral("WIDE2-99"));
    d->cmdEnviar()->click();
    EXPECT_EQ(m_e->operador.avisos.size(), 1u) << "Invalid Call Sign";
    EXPECT_TRUE(d->cboVia2()->isAncestorOf(d->focusWidget()) || d->focusWidget() == d->cboVia2());
    d->cboVia2()->setEditText(QString());
    d->cmdEnviar()->click();
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ(m_e->Pantalla(), QStringList({"> ALL: N0CALL-1 VIA RELAY-1 hi  hh:mm:ss"}));
    EXPECT_EQ((*m_e)->config().via1List[1], "RELAY-12");
}

TEST_F(BroadcastTest, OpensModelessAndEveryWayOfClosingEndsIt)
{
    // Modeless, its histories up to the first empty slot, the chat screens'
    // colours following the menu; the menu raises it rather than making another.
    frmBroadcast* d = Abrir("KOLT Mode=KOLTFM\r\nVia1 List0=WIDE1-1\r\nVia1 List1=RELAY\r\n"
                            "Via1 List3=HIDDEN\r\n");
    ASSERT_TRUE(d && d->isVisible() && !d->isModal());
    EXPECT_EQ(d->cboVia1()->count(), 2) << "up to the first empty slot";
    m_ventana->accion("mnuColorBlanco")->trigger();
    EXPECT_EQ(d->txtMensaje()->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(Dialogo(), d);

    // Escape runs the closing rule: valid boxes are kept.
    d->cboVia1()->setEditText(QStringLiteral("relay"));
    QTest::keyClick(d, Qt::Key_Escape);
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ((*m_e)->config().via1, "RELAY");
    EXPECT_EQ(Dialogo()->cboVia1()->currentText(), "RELAY") << "opened again, it shows it";

    // A call started from the connect dialog.
    emit(**m_e).conexionIniciada();
    ASSERT_TRUE(Cerrado());
}

} // namespace
