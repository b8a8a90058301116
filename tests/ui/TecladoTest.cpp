// Without a mouse and without sight, offscreen: Qt's accessible interfaces.

#include "ui/Accesibilidad.h"
#include "ui/frmAbout.h"
#include "ui/frmBroadcast.h"
#include "ui/frmConnect.h"
#include "ui/frmPTT.h"
#include "ui/frmSetup.h"

#include "ModemDePrueba.h"
#include "VentanaDePrueba.h"
#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;

namespace {

// Every presented, unnamed interface under `i` but bare containers.
QStringList SinNombre(QAccessibleInterface* i)
{
    QStringList faltan;
    if (!i || i->state().invisible) return faltan;
    const QAccessible::Role rol = i->role();
    if (rol != QAccessible::Client && rol != QAccessible::Separator &&
        rol != QAccessible::ScrollBar && i->text(QAccessible::Name).trimmed().isEmpty())
        faltan << QStringLiteral("%1 (role 0x%2)")
                      .arg(i->object() ? i->object()->objectName() : QString())
                      .arg(rol, 0, 16);
    for (int k = 0; k < i->childCount(); ++k)
        faltan += SinNombre(i->child(k));
    return faltan;
}

class Teclado : public test::VentanaDePrueba {};

TEST_F(Teclado, EveryControlOfTheWindowAndOfEachDialogHasANameAndKeysLeaveTypingAlone)
{
    ui::frmKoltChat& v = Abrir(QStringLiteral("KOLT Mode=KOLTFM\r\n"));
    EXPECT_EQ(SinNombre(QAccessible::queryAccessibleInterface(&v)), QStringList());
    QAccessibleInterface* tcp = QAccessible::queryAccessibleInterface(v.panel(model::Panel::TCP));
    EXPECT_EQ(tcp->text(QAccessible::Description), "red lamp") << "its picture, in words";
    ui::frmConnect conectar(**m_e, &v);
    auto* difusion = new ui::frmBroadcast(**m_e, &v);
    ui::frmSetup setup(**m_e, &v);
    ui::frmPTT ptt(**m_e, &v);
    ui::frmAbout acerca(&v);
    for (QDialog* d : std::initializer_list<QDialog*>{&conectar, difusion, &setup, &ptt, &acerca}) {
        d->show();
        EXPECT_EQ(SinNombre(QAccessible::queryAccessibleInterface(d)), QStringList());
        d->reject();
    }

    // Every item has a key; none is a key the transmit box uses for editing
    // on this desktop, none is a bare key, no two are the same.
    QList<QKeySequence> vistas;
    for (int k = QKeySequence::HelpContents; k <= QKeySequence::Cancel; ++k)
        vistas += QKeySequence::keyBindings(QKeySequence::StandardKey(k));
    for (const char* item :
         {"mnuSetup", "mnuPTT", "mnuSize10", "mnuSize20", "mnuColorNegro", "mnuColorBlanco",
          "mnuConnect", "mnuCQ", "mnuBroadcast", "mnuStop", "mnuClear", "mnuSendFile"}) {
        const QKeySequence k = v.accion(item)->shortcut();
        EXPECT_FALSE(k.isEmpty() || vistas.contains(k)) << item;
        EXPECT_NE(k[0].keyboardModifiers() & Qt::ControlModifier, 0) << item;
        vistas << k;
    }
}

// What the screen reader was last told to announce, read as it reads it.
QString Anuncio(QWidget& ventana)
{
    auto* a = ventana.findChild<ui::Anunciador*>();
    QAccessibleInterface* i = a ? QAccessible::queryAccessibleInterface(a) : nullptr;
    if (!i || i->role() != QAccessible::Notification || i->state().invisible) return {};
    return i->text(QAccessible::Name);
}

// Keys pressed on whatever has the focus, as the operator would: typing
// starts in the TX Screen and comes back to it after the dialog, which
// opens on its field; the link going up and down is said.
TEST_F(Teclado, KeysAloneConnectAndStopAndTheReaderHearsTheLink)
{
    test::ModemDePrueba modem;
    test::ServidorKISS kiss;
    ui::frmKoltChat& v =
        Abrir(QStringLiteral("Connect With HF=N0CALL-2\r\n"), modem.puerto(), kiss.puerto());
    ASSERT_TRUE(m_e->Arriba());
    v.activateWindow();
    ASSERT_TRUE(Esperar([&] { return QApplication::activeWindow() == &v; }));
    QPlainTextEdit* tx = v.txtTXChat();
    const auto enTX = [&] { return QApplication::focusWidget() == tx; };
    EXPECT_TRUE(enTX());
    const auto pulsar = [](QKeyCombination tecla) {
        QTest::keyClick(QApplication::focusWidget(), tecla.key(), tecla.keyboardModifiers());
    };

    EXPECT_TRUE(test::ConDialogoModal<ui::frmConnect>(
        [&] { pulsar(Qt::CTRL | Qt::SHIFT | Qt::Key_C); },
        [](ui::frmConnect& d) {
            EXPECT_TRUE(d.combo(link::CampoConectar::HF)->isAncestorOf(d.focusWidget()));
            QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        }));
    ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("CONNECT N0CALL-1 N0CALL-2"); }));
    modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return (*m_e)->enlace().enlazado; }));
    EXPECT_EQ(Anuncio(v), "Link up: N0CALL-1 <-> N0CALL-2");
    EXPECT_TRUE(Esperar(enTX));
    pulsar(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
    ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("ABORT"); }));
    modem.Enviar("DISCONNECTED\r");
    ASSERT_TRUE(Esperar([&] { return !(*m_e)->enlace().enlazado; }));
    EXPECT_EQ(Anuncio(v), "Link down: N0CALL-1 <-> N0CALL-2");
}

} // namespace
