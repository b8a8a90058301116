#pragma once
// The two TNCs of the interop rig (the Direwolf pair), started for one test
// and always stopped with it; with AGW ports and extra configuration lines
// when asked. Presente() tells whether the rig and Direwolf are here: a test
// skips without them, but fails on CI.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "EstacionDePrueba.h"

namespace kolt::test {

class ParDirewolf {
public:
    static QString Script() { return QStringLiteral(KOLT_INTEROP_DIR "/direwolf-pair.sh"); }

    // Empty when everything is here, else what is missing.
    static std::string Falta()
    {
        if (!QFileInfo(Script()).isExecutable()) return "the interop rig " + Script().toStdString();
        const QString direwolf = qEnvironmentVariable("DIREWOLF", QStringLiteral("direwolf"));
        if (QStandardPaths::findExecutable(direwolf).isEmpty() &&
            !QFileInfo(direwolf).isExecutable())
            return "the direwolf program (install-deps.sh)";
        return {};
    }

    ~ParDirewolf()
    {
        if (!m_arrancado) return;
        QProcess parar;
        parar.start(Script(), {QStringLiteral("stop"), m_dir.path()});
        parar.waitForFinished(20000);
    }

    // `agw`: open the AGW ports too; `conf`: lines added to both configs.
    bool Arrancar(QString* error, bool agw = false, const QString& conf = {})
    {
        for (int intento = 0; intento < 3; ++intento) { // a free port may be taken meanwhile
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DW_PAIR_LIMIT"), QStringLiteral("300")); // if we die
            if (!conf.isEmpty()) env.insert(QStringLiteral("DW_PAIR_CONF"), conf);
            p.setProcessEnvironment(env);
            QStringList args{QStringLiteral("start"), m_dir.path(), QString::number(PuertoLibre()),
                             QString::number(PuertoLibre())};
            if (agw) args << QString::number(PuertoLibre()) << QString::number(PuertoLibre());
            p.start(Script(), args);
            if (!p.waitForFinished(40000)) {
                p.kill();
                p.waitForFinished(5000);
            }
            m_arrancado = true; // stop whatever may be left, whatever start said
            const QString salida = QString::fromLocal8Bit(p.readAllStandardOutput());
            *error = QString::fromLocal8Bit(p.readAllStandardError());
            if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) continue;
            for (const QString& linea : salida.split(QLatin1Char('\n'))) {
                const QString valor = linea.section(QLatin1Char('='), 1);
                if (linea.startsWith(QLatin1String("KISS_A_PORT=")))
                    puertoA = quint16(valor.toUInt());
                if (linea.startsWith(QLatin1String("KISS_B_PORT=")))
                    puertoB = quint16(valor.toUInt());
                if (linea.startsWith(QLatin1String("AGW_A_PORT="))) agwA = quint16(valor.toUInt());
                if (linea.startsWith(QLatin1String("AGW_B_PORT="))) agwB = quint16(valor.toUInt());
            }
            if (puertoA && puertoB && (!agw || (agwA && agwB))) return true;
        }
        return false;
    }

    QString Registro(const char* nombre) const
    {
        QFile f(m_dir.filePath(QString::fromLatin1(nombre)));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    quint16 puertoA = 0;
    quint16 puertoB = 0;
    quint16 agwA = 0;
    quint16 agwB = 0;

private:
    QTemporaryDir m_dir;
    bool m_arrancado = false;
};

} // namespace kolt::test
