// The broadcast dialog, offscreen, opened from the main window's menu: its
// widgets bound to the rules of broadcast/DialogoBroadcast.h (tested in
// tests/broadcast): what it shows, the 500-character box, the Enter key,
// the focus after a failed check, the colours and every way it closes.

#include "ui/frmBroadcast.h"

#include "ModemDePrueba.h"
#include "VentanaDePrueba.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
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

TEST_F(BroadcastTest, OpensModelessFromTheMenuWithTheSettings)
{
    frmBroadcast* d = Abrir("KOLT Mode=KOLTFM\r\nVia1=WIDE1-1\r\nVia1 List0=WIDE1-1\r\n"
                            "Via1 List1=RELAY\r\nVia1 List3=HIDDEN\r\nColour=White\r\n");
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "0/500");
    EXPECT_TRUE(d->lblVia2()->isVisible());
    EXPECT_EQ(d->cboVia1()->count(), 2) << "up to the first empty slot";
    EXPECT_EQ(d->cboVia1()->itemText(1), "RELAY");
    EXPECT_EQ(d->cboVia1()->currentText(), "WIDE1-1");
    EXPECT_EQ(d->cboVia2()->count(), 0);

    // The chat screens' colours, following the menu.
    const auto colores = [d] {
        const QPalette p = d->txtMensaje()->palette();
        return std::pair{p.color(QPalette::Base).rgb() & 0xFFFFFF,
                         p.color(QPalette::Text).rgb() & 0xFFFFFF};
    };
    EXPECT_EQ(colores(), (std::pair<QRgb, QRgb>{0xFFFFFF, 0x000000}));
    m_ventana->accion("mnuColorNegro")->trigger();
    EXPECT_EQ(colores(), (std::pair<QRgb, QRgb>{0x000000, 0x00FF00}));

    // The menu raises the open dialog rather than making another.
    EXPECT_EQ(Dialogo(), d);
    EXPECT_EQ(m_ventana->findChildren<frmBroadcast*>().size(), 1);
}

TEST_F(BroadcastTest, TypingStopsAtFiveHundredCharactersAndEnterSends)
{
    frmBroadcast* d = Abrir("KOLT Mode=KOLTSAT\r\n");
    EXPECT_FALSE(d->cboVia1()->isVisible()) << "digipeaters in FM only";
    EXPECT_FALSE(d->lblVia2()->isVisible());
    QTest::keyClicks(d->txtMensaje(), QStringLiteral("hello world!"));
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "12/500");
    QTest::keyClicks(d->txtMensaje(), QString(495, QLatin1Char('x')));
    EXPECT_EQ(d->txtMensaje()->toPlainText().size(), 500);
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "500/500");
    // Pasted into the middle: what fits is kept, the rest falls off the end.
    QTextCursor c = d->txtMensaje()->textCursor();
    c.setPosition(5);
    d->txtMensaje()->setTextCursor(c);
    d->txtMensaje()->insertPlainText(QStringLiteral("ABC"));
    EXPECT_EQ(d->txtMensaje()->toPlainText().size(), 500);
    EXPECT_TRUE(d->txtMensaje()->toPlainText().startsWith("helloABC world!"));

    QTest::keyClick(d->txtMensaje(), Qt::Key_Return);
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ(m_e->Pantalla(), QStringList({"> ALL: N0CALL-1 " + QStringLiteral("helloABC world!") +
                                            QString(485, 'x') + "  hh:mm:ss"}))
        << "the Enter key sends, never entering a line break";
    EXPECT_FALSE(m_ventana->accion("mnuBroadcast")->isEnabled());
}

TEST_F(BroadcastTest, AnInvalidDigipeaterKeepsTheDialogOpenWithTheFocusOnIt)
{
    frmBroadcast* d = Abrir("KOLT Mode=KOLTFM\r\n");
    QTest::keyClicks(d->txtMensaje(), QStringLiteral("hello"));
    d->cboVia1()->setEditText(QStringLiteral("wide1-1"));
    QFocusEvent fuera(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(d->cboVia1()->lineEdit(), &fuera);
    EXPECT_EQ(d->cboVia1()->currentText(), "WIDE1-1") << "upper-cased on leaving the box";

    d->cboVia2()->setEditText(QStringLiteral("WIDE2-99"));
    d->cmdEnviar()->click();
    EXPECT_EQ(m_e->operador.avisos.size(), 1u) << "Invalid Call Sign";
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->cboVia2()->isAncestorOf(d->focusWidget()) || d->focusWidget() == d->cboVia2());
    EXPECT_EQ(d->txtMensaje()->toPlainText(), "hello");
}

TEST_F(BroadcastTest, ADigipeaterIsSentAsTypedNotCompletedFromItsHistory)
{
    frmBroadcast* d = Abrir("KOLT Mode=KOLTFM\r\nVia1 List0=RELAY-12\r\n");
    ASSERT_TRUE(test::Enfocar(d, d->cboVia1()));
    QTest::keyClicks(d->cboVia1(), QStringLiteral("RELAY-1"));
    QTest::keyClicks(d->txtMensaje(), QStringLiteral("hi"));
    d->cmdEnviar()->click();
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ(m_e->Pantalla(), QStringList({"> ALL: N0CALL-1 VIA RELAY-1 hi  hh:mm:ss"}));
    EXPECT_EQ((*m_e)->config().via1, "RELAY-1");
    EXPECT_EQ((*m_e)->config().via1List[1], "RELAY-12");
}

TEST_F(BroadcastTest, EveryWayOfClosingEndsTheDialog)
{
    // Escape runs the closing rule: valid boxes are kept.
    frmBroadcast* d = Abrir("KOLT Mode=KOLTFM\r\n");
    d->cboVia1()->setEditText(QStringLiteral("relay"));
    QTest::keyClick(d, Qt::Key_Escape);
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ((*m_e)->config().via1, "RELAY");
    EXPECT_EQ(Dialogo()->cboVia1()->currentText(), "RELAY") << "opened again, it shows it";

    // A call started from the connect dialog.
    emit(**m_e).conexionIniciada();
    ASSERT_TRUE(Cerrado());

    // A CQ from the menu.
    Dialogo();
    m_ventana->accion("mnuCQ")->trigger();
    ASSERT_TRUE(Cerrado());
    EXPECT_FALSE(m_ventana->accion("mnuBroadcast")->isEnabled());
    EXPECT_TRUE(m_e->Pantalla().constLast().startsWith("> CQ de N0CALL-1"));

    // The main window's close, which leaves the saving to the station.
    (*m_e)->modelo().Habilitar(link::Control::mnuBroadcast, true); // as the modem's "PTT OFF" would
    d = Dialogo();
    ASSERT_NE(d, nullptr);
    d->cboVia1()->setEditText(QStringLiteral("OTHER"));
    m_ventana->close();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ((*m_e)->config().via1, "RELAY");
}

} // namespace
