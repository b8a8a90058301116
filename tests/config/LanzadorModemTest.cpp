// The modem launcher: Windows programs through wine, and ending the whole
// program it started, children included.

#include "config/LanzadorModem.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    void SetUp() override { ASSERT_TRUE(QDir(m_dir.path()).mkdir("bin")); }
    void TearDown() override { m_lanzador.CerrarModem(); }

    QString Ruta(const QString& nombre) const { return QDir(m_dir.path()).filePath(nombre); }

    QString Script(const QString& nombre, const QString& cuerpo)
    {
        QFile f(Ruta(nombre));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + cuerpo).toUtf8());
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return f.fileName();
    }

    // Writes its pid to `pid` and runs until ended; `sordo`: only KILL ends it.
    QString Programa(const QString& nombre, const QString& pid, bool sordo = false)
    {
        return Script(nombre, QStringLiteral("%1echo $$ > '%2'\nexec sleep 600\n")
                                  .arg(sordo ? "trap '' TERM\n" : "", Ruta(pid)));
    }

    qint64 PidEscrito(const QString& nombre)
    {
        QFile f(Ruta(nombre));
        if (!Esperar([&] { return f.exists() && f.size() > 0; })) return 0;
        f.open(QIODevice::ReadOnly);
        return f.readAll().trimmed().toLongLong();
    }

    QTemporaryDir m_dir;
    LanzadorModem m_lanzador;
};

TEST_F(LanzadorModemTest, ExeStartsThroughWineWithThePathAsGivenElseIsRefused)
{
    const QString exe = Programa("Modem Folder KOLT.EXE", "pid");
    m_lanzador.FijarBusquedaWine({Ruta("bin")});
    test::OperadorGuion operador;
    EXPECT_FALSE(config::LanzarConAvisos(m_lanzador, operador, exe));
    ASSERT_EQ(operador.avisos.size(), 1u);
    EXPECT_EQ(operador.avisos[0].icono, model::Icono::Critico);
    EXPECT_EQ(operador.avisos[0].texto, config::TextoFaltaWine(exe));
    EXPECT_FALSE(m_lanzador.EnMarcha());

    // A wine that notes its arguments, ignores TERM and runs the program in a child.
    m_lanzador.FijarEsperas(300, 100);
    Script("bin/wine", QStringLiteral("trap '' TERM\necho \"$@\" > '%1'\nsh \"$1\" &\nwait\n")
                           .arg(Ruta("wine-args")));
    ASSERT_EQ(m_lanzador.LanzarModem(exe), LanzadorModem::Resultado::Lanzado);
    const qint64 programa = PidEscrito("pid");
    ASSERT_GT(programa, 0);
    QFile args(Ruta("wine-args"));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll().trimmed()), exe);
    EXPECT_TRUE(m_lanzador.EnMarcha());
    // Closing ends the child too, whatever the launched process ignores.
    m_lanzador.CerrarModem();
    EXPECT_FALSE(m_lanzador.EnMarcha());
    EXPECT_TRUE(Esperar([&] { return Terminado(programa); }, 3000));
}

// Ending never holds the caller (TERM now, KILL later from the event loop);
// a program started meanwhile waits for the old one, to find its ports free.
TEST_F(LanzadorModemTest, EndingReturnsAtOnceAndTheNextProgramWaitsForTheOldOne)
{
    // A loaded machine needs more than 100 ms to finish one off after KILL.
    m_lanzador.FijarEsperas(300, 1000);
    ASSERT_EQ(m_lanzador.LanzarModem(Programa("sordo", "pid", true)),
              LanzadorModem::Resultado::Lanzado);
    const qint64 sordo = PidEscrito("pid");
    ASSERT_GT(sordo, 0);
    m_lanzador.CerrarModem();
    EXPECT_FALSE(Terminado(sordo)) << "TERM is ignored, and KILL is not waited for";
    EXPECT_TRUE(m_lanzador.Terminando());

    m_lanzador.LanzarModem(Programa("siguiente", "pid2"));
    ASSERT_GT(PidEscrito("pid2"), 0);
    EXPECT_TRUE(Terminado(sordo)) << "the next one started only once the old one had gone";
    EXPECT_FALSE(m_lanzador.Terminando());
    EXPECT_TRUE(m_lanzador.EnMarcha());
}

} // namespace
