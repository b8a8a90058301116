// Without a mouse and without sight, offscreen: what a screen reader finds
// through Qt's accessible interfaces in the window and every dialog, keys
// that never collide with typing, the receive screen's new text reaching the
// reader as inserted text, and a whole session driven by keys alone against
// the stand-in modem's robot.
//
// Offscreen Qt has no accessibility bridge, so no event reaches an update
// handler here; the tests read the interfaces themselves and the text
// document's changes, from which Qt's text widgets make their insert events.

#include "ui/Accesibilidad.h"
#include "ui/frmAbout.h"
#include "ui/frmBroadcast.h"
#include "ui/frmConnect.h"
#include "ui/frmPTT.h"
#include "ui/frmSetup.h"

#include "Simulator.h"
#include "VentanaDePrueba.h"
#include "transfer/CanalDatos.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;

namespace {

// Every presented interface under `i` that is not a bare container and has
// no name, as "objectName (role)".
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

QStringList SinNombre(QWidget* w)
{
    return SinNombre(QAccessible::queryAccessibleInterface(w));
}

QString Nombre(QObject* o)
{
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(o);
    return i ? i->text(QAccessible::Name) : QString();
}

// What the screen reader was last told to announce, read as it reads it.
QString Anuncio(QWidget& ventana)
{
    auto* a = ventana.findChild<ui::Anunciador*>();
    QAccessibleInterface* i = a ? QAccessible::queryAccessibleInterface(a) : nullptr;
    if (!i || i->role() != QAccessible::Notification || i->state().invisible) return {};
    return i->text(QAccessible::Name);
}

// The text each change of the document inserted (a change that also
// removes counts as a whole replacement, as Qt reports it).
class Inserciones {
public:
    explicit Inserciones(QPlainTextEdit* pantalla) : m_doc(pantalla->document())
    {
        QObject::connect(m_doc, &QTextDocument::contentsChange, m_doc,
                         [this](int desde, int quitados, int puestos) {
                             if (quitados > 0 && puestos > 0) ++reemplazos;
                             if (quitados > 0 || puestos == 0) return;
                             QTextCursor c(m_doc);
                             c.setPosition(desde);
                             c.setPosition(desde + puestos, QTextCursor::KeepAnchor);
                             textos << c.selectedText().replace(QChar::ParagraphSeparator, '\n');
                         });
    }
    QStringList textos;
    int reemplazos = 0;

private:
    QTextDocument* m_doc;
};

class Teclado : public test::VentanaDePrueba {};

TEST_F(Teclado, EveryControlOfTheWindowAndOfEachDialogHasANameAndKeysLeaveTypingAlone)
{
    ui::frmKoltChat& v = Abrir(QStringLiteral("KOLT Mode=KOLTFM\r\n"));
    EXPECT_EQ(SinNombre(&v), QStringList());
    EXPECT_EQ(Nombre(v.txtMainChat()), "RX Screen");
    EXPECT_EQ(Nombre(v.txtTXChat()), "TX Screen");
    EXPECT_EQ(Nombre(v.cmdEnviar()), "Send text");
    EXPECT_EQ(Nombre(v.panel(link::Panel::TCP)), "Modem: TCP disconnected");
    EXPECT_EQ(Nombre(v.panel(link::Panel::Indicativos)), "Link: Disconnected");
    EXPECT_EQ(Nombre(v.panel(link::Panel::Bytes)), "Transfer: none");
    QAccessibleInterface* tcp = QAccessible::queryAccessibleInterface(v.panel(link::Panel::TCP));
    EXPECT_EQ(tcp->text(QAccessible::Description), "red lamp");
    EXPECT_EQ(tcp->childCount(), 0) << "the picture is said, not presented apart";
    (*m_e)->modelo().FijarPanel(link::Panel::Bytes, {"6570 Bytes Rcvd", "Descargando", ""});
    (*m_e)->modelo().FijarPanel(link::Panel::PTT, {"TX", "LedRojo", "PTT ON"});
    EXPECT_EQ(Nombre(v.panel(link::Panel::Bytes)), "Transfer: 6570 Bytes Received");
    EXPECT_EQ(Nombre(v.panel(link::Panel::PTT)), "PTT: transmit");

    ui::frmConnect conectar(**m_e, &v);
    auto* difusion = new ui::frmBroadcast(**m_e, &v);
    ui::frmSetup setup(**m_e, &v);
    ui::frmPTT ptt(**m_e, &v);
    ui::frmAbout acerca(&v);
    for (QDialog* d : std::initializer_list<QDialog*>{&conectar, difusion, &setup, &ptt, &acerca}) {
        d->show();
        EXPECT_EQ(SinNombre(d), QStringList()) << d->objectName().toStdString();
        // The desktop's palette, high contrast included; only the chat
        // colours of the broadcast message are the program's own.
        for (QWidget* w : d->findChildren<QWidget*>()) {
            if (w == difusion->txtMensaje()) continue;
            EXPECT_FALSE(w->testAttribute(Qt::WA_SetPalette) || !w->styleSheet().isEmpty())
                << w->objectName().toStdString();
        }
        d->reject();
    }
    EXPECT_EQ(Nombre(conectar.combo(link::CampoConectar::FM)->lineEdit()), "Connect with");

    // Every item has a key, shown with it to the reader; none is a key the
    // transmit box uses for editing on this desktop, and none is a bare key.
    QList<QKeySequence> edicion;
    for (int k = QKeySequence::HelpContents; k <= QKeySequence::Cancel; ++k)
        edicion += QKeySequence::keyBindings(QKeySequence::StandardKey(k));
    const char* const items[] = {"mnuSetup",       "mnuPTT",     "mnuSize10",  "mnuSize11",
                                 "mnuSize12",      "mnuSize16",  "mnuSize20",  "mnuColorNegro",
                                 "mnuColorBlanco", "mnuConnect", "mnuCQ",      "mnuBroadcast",
                                 "mnuStop",        "mnuClear",   "mnuSendFile"};
    QList<QKeySequence> vistas;
    for (const char* item : items) {
        const QKeySequence k = v.accion(item)->shortcut();
        EXPECT_FALSE(k.isEmpty()) << item;
        EXPECT_FALSE(edicion.contains(k)) << item << " " << k.toString().toStdString();
        EXPECT_NE(k[0].keyboardModifiers() & Qt::ControlModifier, 0) << item;
        EXPECT_FALSE(vistas.contains(k)) << item;
        vistas << k;
    }
    QAccessibleInterface* barra = QAccessible::queryAccessibleInterface(v.menuBar());
    QStringList teclas;
    for (int k = 0; k < barra->childCount(); ++k)
        teclas << barra->child(k)->text(QAccessible::Name) + "=" +
                      barra->child(k)->text(QAccessible::Accelerator);
    EXPECT_TRUE(teclas.contains("Connect=Ctrl+Shift+C")) << teclas.join(' ').toStdString();
}

TEST_F(Teclado, TextAddedAtTheScreensLimitReachesTheReaderAsInsertedText)
{
    ui::frmKoltChat& v = Abrir(QString());
    link::ModeloVentana& m = (*m_e)->modelo();
    m.AgregarRecepcionCortando(QString(transfer::kRecepcionMaxima - 10, 'o'),
                               transfer::kRecepcionMaxima);
    Inserciones insertado(v.txtMainChat());
    m.AgregarRecepcion("<N0CALL-2\r\n");
    m.AgregarRecepcionCortando("hello\r\nagain\r\n", transfer::kRecepcionMaxima);
    EXPECT_EQ(insertado.textos, (QStringList{"<N0CALL-2\n", "hello\nagain\n"}));
    EXPECT_EQ(insertado.reemplazos, 0) << "never the whole screen again";
    EXPECT_EQ(v.txtMainChat()->toPlainText(), QString(m.textoRecepcion()).replace("\r\n", "\n"));
    EXPECT_EQ(v.txtMainChat()->textCursor().position(), v.txtMainChat()->toPlainText().size());
    v.accion("mnuClear")->trigger();
    EXPECT_EQ(v.txtMainChat()->toPlainText(), "");
}

// The stand-in modem with N0CALL-1 (this station) and the robot N0CALL-2,
// which answers lines and sends files back.
class SesionTeclado : public Teclado {
protected:
    void SetUp() override
    {
        modemsim::Options o;
        o.stations.append({QStringLiteral("N0CALL-1"), {0, true, 0}});
        o.robots = {QStringLiteral("N0CALL-2")};
        o.robot.replyDelayMs = 0;
        o.robot.echoFiles = true;
        o.air.airRate = 0;
        o.air.setupMs = 0;
        m_sim = std::make_unique<modemsim::Simulator>(o);
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
    }
    void TearDown() override
    {
        Teclado::TearDown();
        m_sim.reset();
    }

    // Presses `tecla` on whatever has the focus, as the operator would.
    void Pulsar(QKeyCombination tecla)
    {
        QWidget* foco = QApplication::focusWidget();
        ASSERT_NE(foco, nullptr);
        QTest::keyClick(foco, tecla.key(), tecla.keyboardModifiers());
    }

    template <typename D>
    bool ConDialogo(QKeyCombination tecla, const std::function<void(D&)>& guion)
    {
        return test::ConDialogoModal<D>([&] { Pulsar(tecla); }, guion);
    }

    std::unique_ptr<modemsim::Simulator> m_sim;
};

TEST_F(SesionTeclado, KeysAloneBroadcastConfigureConnectSendAFileAndStop)
{
    modemsim::PortStation* puesto = m_sim->station("N0CALL-1");
    ui::frmKoltChat& v = Abrir(QStringLiteral("Connect With HF=N0CALL-2\r\n"),
                               puesto->commandPort(), puesto->kissPort());
    ASSERT_TRUE(m_e->Arriba());
    v.activateWindow();
    ASSERT_TRUE(Esperar([&] { return QApplication::activeWindow() == &v; }));
    QPlainTextEdit* tx = v.txtTXChat();
    EXPECT_EQ(QApplication::focusWidget(), tx) << "typing goes to the TX Screen from the start";
    const auto enTX = [&] { return QApplication::focusWidget() == tx; };

    // A broadcast typed in its dialog; it waits for the end of the
    // modem's transmission.
    Pulsar(Qt::CTRL | Qt::SHIFT | Qt::Key_B);
    auto* difusion = v.findChild<ui::frmBroadcast*>();
    ASSERT_NE(difusion, nullptr);
    ASSERT_TRUE(Esperar([&] { return QApplication::activeWindow() == difusion; }));
    EXPECT_EQ(QApplication::focusWidget(), difusion->txtMensaje());
    QTest::keyClicks(difusion->txtMensaje(), "hello all");
    Pulsar(Qt::Key_Return);
    EXPECT_TRUE(m_e->Pantalla().join('|').contains("> ALL: N0CALL-1 hello all"));
    EXPECT_TRUE(Esperar(enTX)) << "back to the TX Screen when the dialog closes";
    ASSERT_TRUE(Esperar([&] { return m_e->Habilitado(link::Control::mnuCQ); }));

    // Each settings dialog opens on its first field and Escape closes it.
    EXPECT_TRUE(ConDialogo<ui::frmSetup>(Qt::CTRL | Qt::Key_Comma, [](ui::frmSetup& d) {
        EXPECT_EQ(d.focusWidget(), d.optVariante(config::Variante::HF));
        QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
    }));
    EXPECT_TRUE(Esperar(enTX));
    EXPECT_TRUE(ConDialogo<ui::frmPTT>(Qt::CTRL | Qt::SHIFT | Qt::Key_P, [](ui::frmPTT& d) {
        EXPECT_TRUE(qobject_cast<QRadioButton*>(d.focusWidget())) << "the keying method";
        QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
    }));
    EXPECT_TRUE(Esperar(enTX));
    // F10 opens the menus; Alt+H the Help menu, whose last item is About.
    Pulsar(Qt::Key_F10);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    Pulsar(Qt::ALT | Qt::Key_H);
    QWidget* ayuda = QApplication::activePopupWidget();
    ASSERT_NE(ayuda, nullptr);
    QTest::keyClick(ayuda, Qt::Key_Up);
    EXPECT_TRUE(test::ConDialogoModal<ui::frmAbout>([&] { QTest::keyClick(ayuda, Qt::Key_Return); },
                                                    [](ui::frmAbout& d) {
                                                        ASSERT_NE(d.focusWidget(), nullptr)
                                                            << "Close has the focus";
                                                        QTest::keyClick(d.focusWidget(),
                                                                        Qt::Key_Escape);
                                                    }));
    EXPECT_TRUE(Esperar(enTX));

    // Connect: the dialog opens in the station to call; Enter calls it.
    EXPECT_TRUE(ConDialogo<ui::frmConnect>(Qt::CTRL | Qt::SHIFT | Qt::Key_C, [](ui::frmConnect& d) {
        QComboBox* hf = d.combo(link::CampoConectar::HF);
        EXPECT_TRUE(d.focusWidget() == hf || d.focusWidget() == hf->lineEdit());
        EXPECT_EQ(d.combo(link::CampoConectar::HF)->currentText(), "N0CALL-2");
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
    }));
    ASSERT_TRUE(Esperar([&] { return (*m_e)->enlace().enlazado; }));
    EXPECT_EQ(Anuncio(v), "Link up: N0CALL-1 <-> N0CALL-2");
    EXPECT_EQ(Nombre(v.panel(link::Panel::Indicativos)), "Link: N0CALL-1 <-> N0CALL-2");
    EXPECT_TRUE(Esperar(enTX));
    // A disabled item's key does nothing, and no key types into the box.
    EXPECT_FALSE(ConDialogo<ui::frmConnect>(Qt::CTRL | Qt::SHIFT | Qt::Key_C, [](auto&) {}));
    EXPECT_EQ(tx->toPlainText(), "");

    // A file: Ctrl+Shift+F, the picker's answer, and the robot sends it back.
    QFile f(QDir(m_e->carpeta()).filePath("qsl.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("73 de N0CALL-1\r\n");
    f.close();
    m_e->operador.respuestas.push_back(f.fileName());
    Pulsar(Qt::CTRL | Qt::SHIFT | Qt::Key_F);
    ASSERT_TRUE(Esperar([&] { return Anuncio(v).startsWith("File received"); }, 10000))
        << m_e->Pantalla().join('\n').toStdString();
    EXPECT_EQ(Anuncio(v), "File received: 'qsl (1).txt'");
    EXPECT_TRUE(m_e->Pantalla().join('|').contains("Sending 'qsl.txt'"));

    // Stop ends the link; the operator hears it.
    ASSERT_TRUE(Esperar([&] { return m_e->Habilitado(link::Control::mnuStop); }));
    Pulsar(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
    ASSERT_TRUE(Esperar([&] { return !(*m_e)->enlace().enlazado; }));
    EXPECT_EQ(Anuncio(v), "Link down: N0CALL-1 <-> N0CALL-2");
    EXPECT_TRUE(m_e->operador.avisos.empty());
}

} // namespace
