#include "config/AlmacenAjustes.h"

#include "config/Ansi.h"
#include "config/Indicativo.h"
#include "config/TablaAjustes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <limits>
#include <type_traits>

namespace kolt::config {

namespace {

std::string_view vista(const QByteArray& b)
{
    return {b.constData(), size_t(b.size())};
}

// A number that is missing, not a number or out of the field's range takes
// the key's default, so a hand-edited file can never put a port of 0 or a
// wrapped-round value in the record.
template <typename T> T leerNumero(const QString& texto, T porDefecto)
{
    bool ok = false;
    const qlonglong v = texto.trimmed().toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) {
        return porDefecto;
    }
    return static_cast<T>(v);
}

// The text field behind a key, or null for a numeric key.
QString* campoTexto(Configuracion& c, const Clave& k)
{
    if (auto p = std::get_if<QString Configuracion::*>(&k.campo)) return &(c.**p);
    if (auto p = std::get_if<Historial Configuracion::*>(&k.campo)) return &(c.**p)[k.indice];
    return nullptr;
}

QString textoDe(const Configuracion& c, const Clave& k)
{
    return std::visit(
        [&](auto campo) -> QString {
            using T = std::remove_cvref_t<decltype(c.*campo)>;
            if constexpr (std::is_same_v<T, QString>)
                return c.*campo;
            else if constexpr (std::is_same_v<T, Historial>)
                return (c.*campo)[k.indice];
            else if constexpr (std::is_same_v<T, ModoKolt>)
                return (c.*campo).Texto();
            else
                return QString::number(c.*campo);
        },
        k.campo);
}

void asignar(Configuracion& c, const Clave& k, const QString& texto)
{
    static const Configuracion inicial;
    std::visit(
        [&](auto campo) {
            using T = std::remove_cvref_t<decltype(c.*campo)>;
            if constexpr (std::is_same_v<T, QString>)
                c.*campo = texto;
            else if constexpr (std::is_same_v<T, Historial>)
                (c.*campo)[k.indice] = texto;
            else if constexpr (std::is_same_v<T, ModoKolt>)
                c.*campo = ModoKolt::DesdeTexto(texto);
            else
                c.*campo = leerNumero<T>(texto, inicial.*campo);
        },
        k.campo);
}

void limpiarIndicativo(QString& texto)
{
    std::string s = texto.toStdString();
    texto = ComprobarIndicativo(s) ? QString::fromStdString(s) : QString();
}

} // namespace

QString CarpetaAjustes(const QString& carpetaPrograma, const QString& carpetaUsuario)
{
    // Asking the file system beats reading permission bits: it also answers
    // for read-only mounts and access-control lists.
    if (!carpetaPrograma.isEmpty()) {
        QTemporaryFile prueba(QDir(carpetaPrograma).filePath(QStringLiteral(".kolt-XXXXXX")));
        if (prueba.open()) return carpetaPrograma;
    }
    QDir().mkpath(carpetaUsuario);
    return carpetaUsuario;
}

QString CarpetaAjustes()
{
    return CarpetaAjustes(QCoreApplication::applicationDirPath(),
                          QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString CarpetaEscritorio()
{
    // Many accounts have no desktop folder (servers, fresh accounts, other
    // languages); a default that does not exist refuses every received file.
    for (const auto lugar : {QStandardPaths::DesktopLocation, QStandardPaths::DownloadLocation}) {
        const QString carpeta = QStandardPaths::writableLocation(lugar);
        if (!carpeta.isEmpty() && QFileInfo(carpeta).isDir())
            return QDir::toNativeSeparators(carpeta);
    }
    return QDir::toNativeSeparators(QDir::homePath());
}

void TomarVentana(Configuracion& c, const EstadoVentana& ventana)
{
    c.windowState = ventana.estado;
    if (ventana.estado == 0) {
        c.terminalWidth = ventana.ancho;
        c.terminalHeight = ventana.alto;
    }
}

AlmacenAjustes::AlmacenAjustes(QString archivoIni, QString escritorio, QString carpetaPrograma)
    : m_archivo(std::move(archivoIni)), m_escritorio(std::move(escritorio)),
      m_carpetaPrograma(std::move(carpetaPrograma))
{
}

QString AlmacenAjustes::LeerINI(const QString& seccion, const QString& clave,
                               const QString& porDefecto) const
{
    const auto valor = m_ini.get(vista(ATextoAnsi(seccion)), vista(ATextoAnsi(clave)));
    return valor ? DeTextoAnsi(QByteArrayView(valor->data(), qsizetype(valor->size())))
                 : porDefecto;
}

void AlmacenAjustes::EscribirINI(const QString& seccion, const QString& clave, const QString& valor)
{
    m_ini.set(vista(ATextoAnsi(seccion)), vista(ATextoAnsi(clave)), vista(ATextoAnsi(valor)));
}

QString AlmacenAjustes::porDefecto(const Clave& k) const
{
#ifdef Q_OS_WIN
    const QString hf = QStringLiteral("C:\\KOLT\\KOLT.exe");
    const QString fm = QStringLiteral("C:\\KOLT FM\\KOLTFM.exe");
    const QString sat = QStringLiteral("C:\\KOLT\\KOLTSAT.exe");
#else
    // Without the modem programs of Windows a first start still has a modem
    // to talk to: the stand-in beside the executable.
    const QString hf = QDir(m_carpetaPrograma).filePath(QStringLiteral("kolt-modem-sim"));
    const QString& fm = hf;
    const QString& sat = hf;
#endif
    switch (k.defecto) {
    case Defecto::Escritorio: return m_escritorio;
    case Defecto::ModemHF: return hf;
    case Defecto::ModemFM: return fm;
    case Defecto::ModemSAT: return sat;
    case Defecto::DelRegistro: break;
    }
    return textoDe(Configuracion{}, k);
}

bool AlmacenAjustes::leerArchivo()
{
    m_ini = TextoIni();
    // Only a regular file: opening a FIFO or a device would block or read
    // without end.
    const QFileInfo info(m_archivo);
    if (!info.isFile() || info.size() > kTamanoMaximo) return true;
    QFile f(m_archivo);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.read(kTamanoMaximo + 1);
    if (bytes.size() > kTamanoMaximo) return true;
    m_ini = TextoIni(vista(bytes));
    return true;
}

void AlmacenAjustes::CargarConfiguracion(Configuracion& c)
{
    leerArchivo();
    // Every key is read in file order; the corrections below do not depend on
    // the order in which the keys were read.
    for (const Clave& k : TablaDeClaves()) {
        asignar(c, k, LeerINI(QString::fromLatin1(k.seccion), k.nombre, porDefecto(k)));
    }
    // A stored 4 is a keying method the program does not offer: VOX instead.
    if (c.via == 4) c.via = 3;
    // A radio outside the catalogue would index past its end.
    if (c.rig < 1 || c.rig > 142) c.rig = Configuracion{}.rig;
    for (const Clave& k : TablaDeClaves()) {
        if (k.indicativo) limpiarIndicativo(*campoTexto(c, k));
    }
}

bool AlmacenAjustes::GuardarConfiguracion(Configuracion& c,
                                         const std::optional<EstadoVentana>& ventana)
{
    if (ventana) TomarVentana(c, *ventana);
    // Read again, so that what others wrote into the file meanwhile stays;
    // a file that is there but cannot be read is not overwritten blindly.
    if (!leerArchivo()) return false;
    for (const Clave& k : TablaDeClaves()) {
        EscribirINI(QString::fromLatin1(k.seccion), k.nombre, textoDe(c, k));
    }
    const std::string bytes = m_ini.serialize();
    // Unbuffered, so that a short write (disk full) shows in write()'s
    // result: QSaveFile's own flush at commit does not report it.
    QSaveFile f(m_archivo);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    if (f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) return false;
    return f.commit();
}

} // namespace kolt::config
