// The broadcast dialog, offscreen, opened from the main window's menu: what
// it shows, the 500-character box, the Enter key, the checks, the colours
// and every way it closes.

#include "ui/frmBroadcast.h"
#include "ui/frmKoltChat.h"

#include "broadcast/EnlaceKISS.h"

#include "ModemDePrueba.h"
#include "QtImprimir.h"
#include "broadcast/EstacionKISS.h"

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using test::Esperar;
using test::EstacionDePrueba;
using ui::frmBroadcast;

namespace {

class BroadcastTest : public ::testing::Test {
protected:
    ui::frmKoltChat& Abrir(const QString& setup)
    {
        m_e = std::make_unique<EstacionDePrueba>(setup, m_modem.puerto(), m_kiss.puerto());
        EXPECT_TRUE(m_e->listo);
        EXPECT_TRUE(Esperar([&] { return (*m_e)->SocketsArriba() && (*m_e)->kiss().Conectado(); }));
        m_ventana = std::make_unique<ui::frmKoltChat>(**m_e);
        m_ventana->show();
        return *m_ventana;
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

    void Escribir(frmBroadcast* d, const QString& texto)
    {
        QTest::keyClicks(d->txtMensaje(), texto);
    }

    test::ModemDePrueba m_modem;
    test::ServidorKISS m_kiss;
    std::unique_ptr<EstacionDePrueba> m_e;
    std::unique_ptr<ui::frmKoltChat> m_ventana;
};

TEST_F(BroadcastTest, OpensModelessFromTheMenuWithTheSettings)
{
    Abrir("KOLT Mode=KOLTFM\r\nVia1=WIDE1-1\r\nVia1 List0=WIDE1-1\r\nVia1 List1=RELAY\r\n"
          "Via1 List3=HIDDEN\r\n");
    frmBroadcast* d = Dialogo();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->windowTitle(), "Broadcast");
    EXPECT_EQ(d->cmdEnviar()->toolTip(), "Send Broadcast message (ENTER key)");
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "0/500");
    EXPECT_EQ(d->txtMensaje()->font().family(), "Courier New");
    EXPECT_EQ(d->lblNumeroCaracteres()->font().family(), "Courier New");
    for (QWidget* w :
         std::initializer_list<QWidget*>{d->lblVia1(), d->cboVia1(), d->lblVia2(), d->cboVia2()})
        EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(d->lblVia1()->text(), "Via1");
    EXPECT_EQ(d->cboVia1()->count(), 2) << "up to the first empty slot";
    EXPECT_EQ(d->cboVia1()->itemText(1), "RELAY");
    EXPECT_EQ(d->cboVia1()->currentText(), "WIDE1-1");
    EXPECT_EQ(d->cboVia2()->count(), 0);

    // The menu raises the open dialog rather than making another.
    EXPECT_EQ(Dialogo(), d);
    EXPECT_EQ(m_ventana->findChildren<frmBroadcast*>().size(), 1);
}

TEST_F(BroadcastTest, DigipeaterBoxesOnlyInFm)
{
    Abrir("KOLT Mode=KOLTSAT\r\nVia1=WIDE1-1\r\n");
    frmBroadcast* d = Dialogo();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->cboVia1()->isVisible());
    EXPECT_FALSE(d->lblVia2()->isVisible());
    EXPECT_TRUE(d->txtMensaje()->isVisible());
}

TEST_F(BroadcastTest, TypingStopsAtFiveHundredCharacters)
{
    Abrir({});
    frmBroadcast* d = Dialogo();
    Escribir(d, QStringLiteral("hello world!"));
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "12/500");
    Escribir(d, QString(495, QLatin1Char('x')));
    EXPECT_EQ(d->txtMensaje()->toPlainText().size(), 500);
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "500/500");
    // Pasted into the middle: what fits is kept, the rest falls off the end.
    QTextCursor c = d->txtMensaje()->textCursor();
    c.setPosition(5);
    d->txtMensaje()->setTextCursor(c);
    d->txtMensaje()->insertPlainText(QStringLiteral("ABC"));
    EXPECT_EQ(d->txtMensaje()->toPlainText().size(), 500);
    EXPECT_TRUE(d->txtMensaje()->toPlainText().startsWith("helloABC world!"));
    EXPECT_EQ(d->lblNumeroCaracteres()->text(), "500/500");
}

TEST_F(BroadcastTest, EnterSendsWithoutEnteringTheTextAndCloses)
{
    Abrir({});
    frmBroadcast* d = Dialogo();
    Escribir(d, QStringLiteral("hello"));
    QTest::keyClick(d->txtMensaje(), Qt::Key_Return);
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ(test::LineasSinHora((*m_e)->modelo().textoRecepcion()),
              QStringList({"> ALL: N0CALL-1 hello  hh:mm:ss"}));
    EXPECT_TRUE(Esperar([&] { return m_kiss.recibido.size() == 24; })) << "one 21-byte frame";
    EXPECT_FALSE(m_ventana->accion("mnuBroadcast")->isEnabled());
}

TEST_F(BroadcastTest, AnInvalidDigipeaterKeepsTheDialogOpenWithTheFocusOnIt)
{
    Abrir("KOLT Mode=KOLTFM\r\n");
    frmBroadcast* d = Dialogo();
    Escribir(d, QStringLiteral("hello"));
    d->cboVia2()->setEditText(QStringLiteral("WIDE2-99"));
    d->cmdEnviar()->click();
    ASSERT_EQ(m_e->operador.avisos.size(), 1u);
    EXPECT_EQ(m_e->operador.avisos[0].texto, "Invalid Call Sign");
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->cboVia2()->isAncestorOf(d->focusWidget()) || d->focusWidget() == d->cboVia2());
    EXPECT_EQ(d->txtMensaje()->toPlainText(), "hello");
    test::Dejar(50);
    EXPECT_TRUE(m_kiss.recibido.isEmpty());
}

TEST_F(BroadcastTest, LeavingADigipeaterBoxUpperCasesIt)
{
    Abrir("KOLT Mode=KOLTFM\r\n");
    frmBroadcast* d = Dialogo();
    d->cboVia1()->setEditText(QStringLiteral("wide1-1"));
    QFocusEvent fuera(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(d->cboVia1()->lineEdit(), &fuera);
    EXPECT_EQ(d->cboVia1()->currentText(), "WIDE1-1");
}

TEST_F(BroadcastTest, TheMessageTakesTheChatScreensColours)
{
    Abrir("Colour=White\r\n");
    frmBroadcast* d = Dialogo();
    const auto colores = [d] {
        const QPalette p = d->txtMensaje()->palette();
        return std::pair{p.color(QPalette::Base).rgb() & 0xFFFFFF,
                         p.color(QPalette::Text).rgb() & 0xFFFFFF};
    };
    EXPECT_EQ(colores(), (std::pair<QRgb, QRgb>{0xFFFFFF, 0x000000}));
    m_ventana->accion("mnuColorNegro")->trigger();
    EXPECT_EQ(colores(), (std::pair<QRgb, QRgb>{0x000000, 0x00FF00}));
}

TEST_F(BroadcastTest, ACqFromTheMenuClosesTheDialog)
{
    Abrir("KOLT Mode=KOLTSAT\r\n");
    Dialogo();
    m_ventana->accion("mnuCQ")->trigger();
    ASSERT_TRUE(Cerrado());
    EXPECT_FALSE(m_ventana->accion("mnuCQ")->isEnabled());
    EXPECT_FALSE(m_ventana->accion("mnuBroadcast")->isEnabled());
    EXPECT_EQ(test::LineasSinHora((*m_e)->modelo().textoRecepcion()),
              QStringList({"> CQ de N0CALL-1             hh:mm:ss"}));
    EXPECT_TRUE(Esperar([&] { return m_kiss.recibido.size() == 3 + 8 + 8 + 2; }));
}

TEST_F(BroadcastTest, ACallFromTheConnectDialogClosesTheDialog)
{
    Abrir({});
    Dialogo();
    emit(**m_e).conexionIniciada();
    EXPECT_TRUE(Cerrado());
}

TEST_F(BroadcastTest, EscapeClosesAndKeepsValidDigipeaters)
{
    Abrir("KOLT Mode=KOLTFM\r\n");
    frmBroadcast* d = Dialogo();
    d->cboVia1()->setEditText(QStringLiteral("relay"));
    QTest::keyClick(d, Qt::Key_Escape);
    ASSERT_TRUE(Cerrado());
    EXPECT_EQ((*m_e)->config().via1, "RELAY");
    EXPECT_TRUE(m_e->Ini().contains("Via1=RELAY"));
    // Opened again, it shows what was kept.
    EXPECT_EQ(Dialogo()->cboVia1()->currentText(), "RELAY");
}

TEST_F(BroadcastTest, ClosingTheMainWindowClosesTheDialogWhichLeavesTheSavingToIt)
{
    Abrir("KOLT Mode=KOLTFM\r\nVia1=WIDE1-1\r\n");
    frmBroadcast* d = Dialogo();
    d->cboVia1()->setEditText(QStringLiteral("RELAY"));
    m_ventana->close();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ((*m_e)->config().via1, "WIDE1-1");
    EXPECT_TRUE(m_e->Ini().contains("Via1=WIDE1-1"));
}

} // namespace
