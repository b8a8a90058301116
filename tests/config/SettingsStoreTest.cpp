#include "config/SettingsStore.h"
#include "config/Ansi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace kolt::config;

namespace {

const QString kEscritorio = QStringLiteral("/home/op/Desktop");
const QString kPrograma = QStringLiteral("/opt/kolt");

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        FijarPaginaDelSistema(1252);
    }

    QString ruta() const { return m_dir.filePath(QStringLiteral("KOLT Chat.ini")); }
    SettingsStore store() const { return SettingsStore(ruta(), kEscritorio, kPrograma); }

    void escribir(const QByteArray& bytes) const
    {
        QFile f(ruta());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray leer() const
    {
        QFile f(ruta());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    Configuracion cargar() const
    {
        Configuracion c;
        store().CargarConfiguracion(c);
        return c;
    }
    Configuracion cargar(const QByteArray& archivo) const
    {
        escribir(archivo);
        return cargar();
    }

    QTemporaryDir m_dir;
};

// A file that did not exist, written from the table of keys: every key in
// table order, defaults, CR LF.
QByteArray archivoNuevoEsperado()
{
    QByteArray t =
        "[PTT]\r\nRig=52\r\nPTTPort=COM1\r\nCATPort=COM1\r\nBaud=4800\r\nPin=1\r\nRTS=0\r\n"
        "DTR=0\r\nVia=3\r\nIcom Address=\r\n"
        "[Setup]\r\nHF TCP Port=8300\r\nFM TCP Port=8300\r\nSAT TCP Port=8300\r\n"
        "KISS TCP Port=8100\r\nHF Host=localhost\r\nFM Host=localhost\r\nSAT Host=localhost\r\n"
        "KISS Host=localhost\r\nMy Callsign=N0CALL-1\r\nConnect With HF=N0CALL-2\r\n"
        "Connect With FM=N0CALL-2\r\nConnect With SAT=N0CALL-2\r\nVia1=\r\nVia2=\r\n"
        "KOLT Mode=KOLTHF\r\nKOLTHF BW=2300\r\nAutoDisconnect=0\r\nAutoLaunch=1\r\n"
        "Save Log=1\r\nKOLT HF Path=/opt/kolt/kolt-modem-sim\r\n"
        "KOLT FM Path=/opt/kolt/kolt-modem-sim\r\nKOLT SAT Path=/opt/kolt/kolt-modem-sim\r\n"
        "Font Size=10\r\nColour=Black\r\n";
    for (const char* lista :
         {"ConnectHF List", "ConnectFM List", "ConnectSAT List", "Via1 List", "Via2 List"}) {
        for (int i = 0; i <= 14; ++i)
            t += lista + QByteArray::number(i) + "=\r\n";
    }
    t += "[Position]\r\nTop Position=870\r\nLeft Position=2325\r\nTerminal Width=8145\r\n"
         "Terminal Height=6105\r\nWindow State=0\r\n"
         "[Path]\r\nLoad Path File=/home/op/Desktop\r\nSave Path File=/home/op/Desktop\r\n"
         "Download Folder=/home/op/Desktop\r\n";
    return t;
}

int contarClaves(const QByteArray& archivo)
{
    int n = 0;
    for (const QByteArray& linea : archivo.split('\n')) {
        if (linea.contains('=') && !linea.startsWith(';') && !linea.startsWith("Foreign")) ++n;
    }
    return n;
}

TEST_F(SettingsStoreTest, WithoutAFileEveryKeyTakesItsDefaultAndTheFirstSaveWritesThemAll)
{
    Configuracion c = cargar();
    ASSERT_TRUE(store().GuardarConfiguracion(c));
    EXPECT_EQ(leer(), archivoNuevoEsperado());
    // The record's own defaults are the file's (the folders aside).
    Configuracion nuevo;
    nuevo.koltHFPath = nuevo.koltFMPath = nuevo.koltSATPath = kPrograma + "/kolt-modem-sim";
    nuevo.loadPathFile = nuevo.savePathFile = nuevo.downloadFolder = kEscritorio;
    EXPECT_EQ(nuevo, c);
}

TEST_F(SettingsStoreTest, OddFileLoadsCleanedAndSavesEveryKeyKeepingForeignLines)
{
    const QByteArray archivo = "; written by hand\n"
                               "[Setup]\n"
                               "my callsign = n0call-7\n"
                               "Foreign Key=keep me\n"
                               "KOLT Mode=KOLTFM1200\n"
                               "HF TCP Port=abc\n"
                               "FM TCP Port=40000\n"
                               "ConnectHF List0=n0call-5\n"
                               "ConnectHF List1=N0CALL-99\n"
                               "Connect With HF=TOOLONGCALL\n"
                               "\n"
                               "; the radio\n"
                               "[PTT]\n"
                               "Via=4\n"
                               "Rig=300\n"
                               "[Other Program]\n"
                               "Foreign=1\n"
                               "[Path]\n"
                               "Download Folder=/home/op/T\xe9l\xe9"
                               "chargements \x80\n";
    Configuracion c = cargar(archivo);
    EXPECT_EQ(c.downloadFolder, QString::fromUtf8("/home/op/Téléchargements €"))
        << "file text is in the ANSI code page";
    ASSERT_TRUE(store().GuardarConfiguracion(c));
    const QByteArray guardado = leer();
    EXPECT_EQ(guardado.count("\r\n"), guardado.count('\n')) << "every line ends with CR LF";
    EXPECT_EQ(contarClaves(guardado), 116);
    // Own keys are rewritten where they stood; foreign lines stay as they were.
    EXPECT_TRUE(guardado.startsWith("; written by hand\r\n[Setup]\r\nMy Callsign=N0CALL-7\r\n"
                                    "Foreign Key=keep me\r\nKOLT Mode=KOLTFM\r\n"
                                    "HF TCP Port=8300\r\nFM TCP Port=40000\r\n"
                                    "ConnectHF List0=N0CALL-5\r\nConnectHF List1=\r\n"
                                    "Connect With HF=\r\n"))
        << guardado.left(300).constData();
    // Where missing keys go and what stays untouched: the ini tests.
    EXPECT_TRUE(guardado.contains("[Path]\r\nDownload Folder=/home/op/T\xe9l\xe9"
                                  "chargements \x80\r\n"));

    SettingsStore otra = store();
    Configuracion recargada;
    otra.CargarConfiguracion(recargada);
    EXPECT_EQ(recargada, c);
    EXPECT_EQ(otra.LeerINI("other program", "FOREIGN", "none"), "1");
}

// A value as the file holds it, and as the next save writes it after the
// load cleaned it.
struct ValorRaro {
    const char* seccion;
    const char* clave;
    const char* guardado;
    const char* limpio;
};

void PrintTo(const ValorRaro& v, std::ostream* os)
{
    *os << v.clave << "=" << v.guardado;
}

class ValoresCargados : public SettingsStoreTest,
                        public ::testing::WithParamInterface<ValorRaro> {};

TEST_P(ValoresCargados, AreCleanedAtLoad)
{
    const ValorRaro& v = GetParam();
    Configuracion c = cargar(QByteArray("[") + v.seccion + "]\r\n" + v.clave + "=" + v.guardado);
    ASSERT_TRUE(store().GuardarConfiguracion(c));
    EXPECT_TRUE(leer().contains(QByteArray("\r\n") + v.clave + "=" + v.limpio + "\r\n"))
        << leer().constData();
}

// Numbers that are empty, not numbers or out of their type's range take
// the default; "Rig" outside 1 to 142 loads as 52, "Via" 4 as 3; a mode
// holding "KOLTFM" is "KOLTFM"; every call-sign key and slot is checked.
using V = ValorRaro;
INSTANTIATE_TEST_SUITE_P(
    Casos, ValoresCargados,
    ::testing::Values(
        V{"PTT", "Rig", "0", "52"}, V{"PTT", "Rig", "143", "52"}, V{"PTT", "Rig", "142", "142"},
        V{"PTT", "Rig", "1", "1"}, V{"PTT", "Rig", "7x", "52"}, V{"PTT", "Via", "4", "3"},
        V{"PTT", "Via", "2", "2"}, V{"PTT", "Pin", "256", "1"}, V{"PTT", "Pin", " 2 ", "2"},
        V{"Setup", "HF TCP Port", "65534", "65534"}, V{"Setup", "HF TCP Port", "65536", "8300"},
        V{"Setup", "HF TCP Port", "-1", "8300"}, V{"Setup", "KISS TCP Port", "1.5", "8100"},
        V{"Position", "Top Position", "-200", "-200"},
        V{"Position", "Top Position", "99999999999", "870"},
        V{"Position", "Window State", "40000", "0"}, V{"Setup", "KOLT Mode", "xKOLTFMy", "KOLTFM"},
        V{"Setup", "KOLT Mode", "koltfm1200", "koltfm1200"},
        V{"Setup", "Via1", "wb2osz-t", "WB2OSZ-T"}, V{"Setup", "Via2", "N0/CALL", ""},
        V{"Setup", "Via2 List14", "ab1cd-17", "AB1CD-17"},
        V{"Setup", "ConnectSAT List3", "AB1CD-0", ""},
        V{"Setup", "Via1 List7", "n0call-05", "N0CALL-05"}));

TEST_F(SettingsStoreTest, MinimisedOrMaximisedWindowKeepsTheStoredSize)
{
    Configuracion c = cargar();
    ASSERT_TRUE(store().GuardarConfiguracion(c, EstadoVentana{0, 9000, 7000}));
    for (std::int16_t estado : {1, 2}) {
        ASSERT_TRUE(store().GuardarConfiguracion(c, EstadoVentana{estado, 30000, 20000}));
        const Configuracion leida = cargar();
        EXPECT_EQ(leida.windowState, estado);
        EXPECT_EQ(leida.terminalWidth, 9000) << estado;
        EXPECT_EQ(leida.terminalHeight, 7000) << estado;
    }
}

TEST_F(SettingsStoreTest, OversizedFileReadsAsAbsent)
{
    QByteArray relleno = "[PTT]\r\nRig=7\r\n";
    relleno += QByteArray(SettingsStore::kTamanoMaximo, ';');
    EXPECT_EQ(cargar(relleno).rig, 52);
}

// A full disk: writes beyond the file-size limit fail, for root as well.
class LimiteDeTamano {
public:
    explicit LimiteDeTamano(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_antes);
        m_senal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit nuevo = m_antes;
        nuevo.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &nuevo);
    }
    ~LimiteDeTamano()
    {
        setrlimit(RLIMIT_FSIZE, &m_antes);
        std::signal(SIGXFSZ, m_senal);
    }

private:
    rlimit m_antes{};
    void (*m_senal)(int) = nullptr;
};

TEST_F(SettingsStoreTest, FailedSaveReportsFailureAndLeavesThePreviousFileUnchanged)
{
    const QByteArray antes = "; mine\r\n[PTT]\r\nRig=7\r\n";
    escribir(antes);
    Configuracion c = cargar();
    c.rig = 9;
    bool guardado = true;
    {
        LimiteDeTamano disco(512);
        guardado = store().GuardarConfiguracion(c);
    }
    EXPECT_FALSE(guardado);
    EXPECT_EQ(leer(), antes);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"KOLT Chat.ini"})
        << "no temporary file is left behind";
    SettingsStore perdido(m_dir.filePath("gone/KOLT Chat.ini"), kEscritorio, kPrograma);
    EXPECT_FALSE(perdido.GuardarConfiguracion(c));
}

TEST(SettingsFolder, ProgramFolderWhenWritableElseTheUserFolder)
{
    QTemporaryDir dir;
    const QString usuario = dir.filePath("user/config");
    EXPECT_EQ(CarpetaAjustes(dir.path(), usuario), dir.path());
    EXPECT_FALSE(QDir(usuario).exists());
    EXPECT_EQ(CarpetaAjustes(dir.filePath("no/such/folder"), usuario), usuario);
    EXPECT_TRUE(QDir(usuario).exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{})
        << "the probe leaves nothing behind";
}

TEST(SettingsFolder, PathDefaultIsTheDesktopElseTheDownloadFolderElseHome)
{
    QTemporaryDir casa;
    ASSERT_TRUE(QDir(casa.path()).mkpath(".config"));
    QFile dirs(casa.filePath(".config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOWNLOAD_DIR=\"$HOME/Bajadas\"\n");
    dirs.close();
    const QByteArray antes = qgetenv("HOME"), antesXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", casa.path().toUtf8());
    qunsetenv("XDG_CONFIG_HOME");

    const QString sinNada = CarpetaEscritorio();
    ASSERT_TRUE(QDir(casa.path()).mkdir("Bajadas"));
    const QString descargas = CarpetaEscritorio();
    ASSERT_TRUE(QDir(casa.path()).mkdir("Schreibtisch"));
    const QString escritorio = CarpetaEscritorio();

    qputenv("HOME", antes);
    if (!antesXdg.isNull()) qputenv("XDG_CONFIG_HOME", antesXdg);
    EXPECT_EQ(sinNada, casa.path());
    EXPECT_EQ(descargas, casa.filePath("Bajadas"));
    EXPECT_EQ(escritorio, casa.filePath("Schreibtisch"));
}

} // namespace
