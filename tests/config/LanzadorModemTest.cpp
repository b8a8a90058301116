// The modem launcher: Windows programs through wine, and ending the whole
// program it started, children included. `wine` here is a script of the
// test that starts its argument in the background, as wine's loader leaves
// the Windows program running in a process of its own.

#include "config/LanzadorModem.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using namespace kolt;
using config::LanzadorModem;
using test::Esperar;

namespace {

// Gone, or a zombie waiting for whoever inherited it.
bool Terminado(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray t = stat.readAll();
    const qsizetype cierre = t.lastIndexOf(')');
    return cierre >= 0 && t.size() > cierre + 2 && t.at(cierre + 2) == 'Z';
}

class LanzadorModemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("bin"));
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("vacia"));
    }
    void TearDown() override { m_lanzador.CerrarModem(); }

    QString Ruta(const QString& nombre) const { return QDir(m_dir.path()).filePath(nombre); }

    void Script(const QString& ruta, const QString& cuerpo)
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + cuerpo).toUtf8());
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }

    // A wine that notes its arguments and runs the "Windows program" (a
    // shell script here) in a child, then waits for it.
    void WineFalso()
    {
        Script(Ruta("bin/wine"),
               QStringLiteral("echo \"$@\" > '%1'\nsh \"$1\" &\nwait\n").arg(Ruta("wine-args")));
        m_lanzador.FijarBusquedaWine({Ruta("bin")});
    }

    // A program that writes its pid and then runs until it is ended.
    QString Programa(const QString& nombre, const QString& pid = QStringLiteral("pid"))
    {
        const QString ruta = Ruta(nombre);
        Script(ruta, QStringLiteral("echo $$ > '%1'\nexec sleep 600\n").arg(Ruta(pid)));
        return ruta;
    }

    // A program that ignores TERM (kept across the exec) and starts no
    // child: only KILL ends it.
    QString Sordo()
    {
        const QString ruta = Ruta("sordo");
        Script(ruta,
               QStringLiteral("trap '' TERM\necho $$ > '%1'\nexec sleep 600\n").arg(Ruta("pid")));
        return ruta;
    }

    qint64 PidEscrito(const QString& nombre = QStringLiteral("pid"))
    {
        QFile f(Ruta(nombre));
        if (!Esperar([&] { return f.exists() && f.size() > 0; })) return 0;
        f.open(QIODevice::ReadOnly);
        return f.readAll().trimmed().toLongLong();
    }

    QTemporaryDir m_dir;
    LanzadorModem m_lanzador;
};

TEST_F(LanzadorModemTest, ExeStartsThroughWineWithThePathAsGiven)
{
    WineFalso();
    const QString exe = Programa("Modem Folder KOLT.EXE");
    ASSERT_EQ(m_lanzador.LanzarModem(exe), LanzadorModem::Resultado::Lanzado);
    const qint64 programa = PidEscrito();
    ASSERT_GT(programa, 0);
    QFile args(Ruta("wine-args"));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll().trimmed()), exe);
    EXPECT_TRUE(m_lanzador.EnMarcha());

    // The program wine runs is a child of the launched process: closing
    // must end it too, not only the launcher.
    m_lanzador.CerrarModem();
    EXPECT_FALSE(m_lanzador.EnMarcha());
    EXPECT_TRUE(Esperar([&] { return Terminado(programa); }, 3000));
}

TEST_F(LanzadorModemTest, ExeWithoutWineIsRefusedToldAndNothingStarts)
{
    m_lanzador.FijarBusquedaWine({Ruta("vacia")});
    const QString exe = Programa("KOLT.exe");
    EXPECT_EQ(m_lanzador.LanzarModem(exe), LanzadorModem::Resultado::FaltaWine);
    test::OperadorGuion operador;
    EXPECT_FALSE(config::LanzarConAvisos(m_lanzador, operador, exe));
    ASSERT_EQ(operador.avisos.size(), 1u);
    EXPECT_EQ(operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(operador.avisos[0].texto, config::TextoFaltaWine(exe));
    EXPECT_FALSE(m_lanzador.EnMarcha());
}

// A program that ignores TERM and leaves a child of its own running, as
// some modems do: both end.
TEST_F(LanzadorModemTest, OtherProgramsStartDirectlyAndEndWithTheirChildrenWhateverTheyIgnore)
{
    m_lanzador.FijarEsperas(300, 100);
    Script(Ruta("modem"), QStringLiteral("trap '' TERM\nsh '%1' &\nwait\n").arg(Programa("hijo")));
    m_lanzador.FijarBusquedaWine({Ruta("vacia")});
    ASSERT_EQ(m_lanzador.LanzarModem(Ruta("modem")), LanzadorModem::Resultado::Lanzado);
    const qint64 hijo = PidEscrito();
    ASSERT_GT(hijo, 0);
    m_lanzador.CerrarModem();
    EXPECT_FALSE(m_lanzador.EnMarcha());
    EXPECT_TRUE(Esperar([&] { return Terminado(hijo); }, 3000));
}

// Ending never holds the caller: TERM now, KILL later from the event loop,
// and a program started meanwhile waits until the old one has gone, so
// that it finds the old one's ports free.
TEST_F(LanzadorModemTest, EndingReturnsAtOnceAndTheNextProgramWaitsForTheOldOne)
{
    // The second wait is the launcher's last resort for a program that KILL
    // does not end at once: on a loaded machine 100 ms is not enough for the
    // kernel to finish one off, so a second is given.
    m_lanzador.FijarEsperas(300, 1000);
    ASSERT_EQ(m_lanzador.LanzarModem(Sordo()), LanzadorModem::Resultado::Lanzado);
    const qint64 sordo = PidEscrito();
    ASSERT_GT(sordo, 0);

    m_lanzador.CerrarModem();
    EXPECT_FALSE(Terminado(sordo)) << "TERM is ignored, and KILL is not waited for";
    EXPECT_FALSE(m_lanzador.EnMarcha());
    EXPECT_TRUE(m_lanzador.Terminando());

    m_lanzador.LanzarModem(Programa("siguiente", "pid2"));
    EXPECT_TRUE(m_lanzador.EnMarcha());
    const qint64 siguiente = PidEscrito("pid2");
    ASSERT_GT(siguiente, 0);
    EXPECT_TRUE(Terminado(sordo)) << "the next one started only once the old one had gone";
    EXPECT_FALSE(m_lanzador.Terminando());
    EXPECT_TRUE(m_lanzador.EnMarcha());
}

// Only CerrarModem ends a program: one started before the last, and the
// last one when the chat ends without closing it (AutoLaunch turned off),
// keep running.
TEST_F(LanzadorModemTest, ProgramsNotClosedOutliveTheLauncher)
{
    auto lanzador = std::make_unique<LanzadorModem>();
    lanzador->LanzarModem(Programa("anterior", "pid1"));
    const qint64 anterior = PidEscrito("pid1");
    lanzador->LanzarModem(Programa("ultimo", "pid2"));
    const qint64 ultimo = PidEscrito("pid2");
    ASSERT_GT(anterior, 0);
    ASSERT_GT(ultimo, 0);
    lanzador.reset();
    test::Dejar(200);
    EXPECT_FALSE(Terminado(anterior));
    EXPECT_FALSE(Terminado(ultimo));
    for (qint64 pid : {anterior, ultimo})
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

// The chat ending right after CerrarModem: the program still gets its
// KILL, from the launcher's end, before the chat is gone.
TEST_F(LanzadorModemTest, EndingAProgramFinishesAtTheLaunchersEnd)
{
    auto lanzador = std::make_unique<LanzadorModem>();
    lanzador->FijarEsperas(300, 100);
    lanzador->LanzarModem(Sordo());
    const qint64 sordo = PidEscrito();
    ASSERT_GT(sordo, 0);
    lanzador->CerrarModem();
    lanzador.reset();
    EXPECT_TRUE(Esperar([&] { return Terminado(sordo); }, 2000));
}

} // namespace
