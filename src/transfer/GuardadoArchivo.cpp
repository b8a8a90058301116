#include "transfer/GuardadoArchivo.h"

#include "transfer/NombresArchivo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kolt::transfer {

namespace {

// A dangling link counts as taken too: nothing may be written through it.
bool Ocupado(const QString& ruta)
{
    const QFileInfo info(ruta);
    return info.exists() || info.isSymLink();
}

// The data on the disk before the name appears, so that a crash cannot
// leave an empty or partial file under the real name.
bool AlDisco(QTemporaryFile& f)
{
    if (!f.flush()) return false;
#ifdef Q_OS_UNIX
    return ::fsync(f.handle()) == 0;
#else
    return true;
#endif
}

enum class Renombrado { Hecho, Ocupado, Fallo };

// A rename that fails, rather than replace, when the target exists, checked
// by the system in the same step. (QFile::rename falls back to copying over
// the target when the system's rename fails, which is just what must never
// happen here.)
Renombrado RenombrarSinReemplazar(const QString& origen, const QString& destino, QString& error)
{
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(origen).utf16()),
                    reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(destino).utf16()),
                    MOVEFILE_WRITE_THROUGH))
        return Renombrado::Hecho;
    const DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) return Renombrado::Ocupado;
    error = QStringLiteral("error %1").arg(e);
    return Renombrado::Fallo;
#else
    const QByteArray o = QFile::encodeName(origen);
    const QByteArray d = QFile::encodeName(destino);
    int r = -1;
#ifdef RENAME_NOREPLACE
    r = ::renameat2(AT_FDCWD, o.constData(), AT_FDCWD, d.constData(), RENAME_NOREPLACE);
    // Some file systems do not offer it: a hard link is just as exclusive.
    if (r != 0 && (errno == EINVAL || errno == ENOSYS))
#endif
    {
        r = ::link(o.constData(), d.constData());
        if (r == 0) ::unlink(o.constData());
    }
    if (r == 0) return Renombrado::Hecho;
    if (errno == EEXIST) return Renombrado::Ocupado;
    error = QString::fromLocal8Bit(std::strerror(errno));
    return Renombrado::Fallo;
#endif
}

Guardado Fallo(const QString& error)
{
    return {Guardado::Estado::Fallo, QString(), error};
}

} // namespace

Guardado GuardarArchivo(const QString& carpeta, const QString& nombre,
                        std::span<const std::uint8_t> cuerpo)
{
    if (carpeta.isEmpty() || !QFileInfo(carpeta).isDir())
        return {Guardado::Estado::SinCarpeta, {}, {}};
    const QDir dir(carpeta);

    // Removed when it goes out of scope, unless it got its real name.
    QTemporaryFile temporal(dir.filePath(QStringLiteral(".kolt-XXXXXX.part")));
    if (!temporal.open()) return Fallo(temporal.errorString());
    const auto largo = static_cast<qint64>(cuerpo.size());
    if (temporal.write(reinterpret_cast<const char*>(cuerpo.data()), largo) != largo ||
        !AlDisco(temporal))
        return Fallo(temporal.errorString());
    const QString rutaTemporal = temporal.fileName();
    temporal.close();

    QString error;
    for (int n = 0; n <= kNumeradosMaximos; ++n) {
        const QString candidato = n == 0 ? nombre : NombreNumerado(nombre, n);
        const QString ruta = dir.filePath(candidato);
        if (Ocupado(ruta)) continue;
        switch (RenombrarSinReemplazar(rutaTemporal, ruta, error)) {
        case Renombrado::Hecho:
            temporal.setAutoRemove(false);
            return {Guardado::Estado::Guardado, candidato, {}};
        case Renombrado::Ocupado: continue; // taken since the check
        case Renombrado::Fallo: return Fallo(error);
        }
    }
    return Fallo(QStringLiteral("no free name left"));
}

} // namespace kolt::transfer
