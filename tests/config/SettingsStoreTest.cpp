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
    EXPECT_EQ(c.myCallsign, "N0CALL-1");
    EXPECT_EQ(c.connectWithHF, "N0CALL-2");
    EXPECT_EQ(c.connectWithFM, "N0CALL-2");
    EXPECT_EQ(c.connectWithSAT, "N0CALL-2");
    EXPECT_EQ(c.hfTcpPort, 8300);
    EXPECT_EQ(c.kissTcpPort, 8100);
    EXPECT_EQ(c.koltMode, "KOLTHF");
    EXPECT_EQ(c.autoLaunch, 1);
    EXPECT_EQ(c.via, 3);
    EXPECT_EQ(c.rig, 52);
    EXPECT_EQ(c.downloadFolder, kEscritorio);
    EXPECT_EQ(c.koltFMPath, "/opt/kolt/kolt-modem-sim");

    ASSERT_TRUE(store().GuardarConfiguracion(c));
    EXPECT_EQ(leer(), archivoNuevoEsperado());
    EXPECT_EQ(contarClaves(leer()), 116);
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
                               "Foreign=1\n";
    Configuracion c = cargar(archivo);
    EXPECT_EQ(c.myCallsign, "N0CALL-7");
    EXPECT_EQ(c.koltMode, "KOLTFM");
    EXPECT_EQ(c.hfTcpPort, 8300);
    EXPECT_EQ(c.fmTcpPort, 40000);
    EXPECT_EQ(c.connectHFList[0], "N0CALL-5");
    EXPECT_EQ(c.connectHFList[1], "");
    EXPECT_EQ(c.connectWithHF, "");
    EXPECT_EQ(c.via, 3);
    EXPECT_EQ(c.rig, 52);

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
    EXPECT_TRUE(
        guardado.contains("Connect With HF=\r\nSAT TCP Port=8300\r\nKISS TCP Port=8100\r\n"))
        << "missing keys follow the last key of their section";
    EXPECT_TRUE(guardado.contains("\r\n\r\n; the radio\r\n[PTT]\r\nVia=3\r\nRig=52\r\n"));
    EXPECT_TRUE(guardado.contains("[Other Program]\r\nForeign=1\r\n"));
    EXPECT_TRUE(guardado.endsWith("Download Folder=/home/op/Desktop\r\n"));

    SettingsStore otra = store();
    Configuracion recargada;
    otra.CargarConfiguracion(recargada);
    EXPECT_EQ(recargada, c);
    EXPECT_EQ(otra.LeerINI("other program", "FOREIGN", "none"), "1");
}

struct ValorRaro {
    const char* clave;
    const char* seccion;
    const char* guardado;
    long long esperado;
};

void PrintTo(const ValorRaro& v, std::ostream* os)
{
    *os << v.clave << "=" << v.guardado;
}

class NumerosCargados : public SettingsStoreTest,
                        public ::testing::WithParamInterface<ValorRaro> {};

long long campo(const Configuracion& c, const std::string& clave)
{
    if (clave == "Rig") return c.rig;
    if (clave == "Via") return c.via;
    if (clave == "Pin") return c.pin;
    if (clave == "HF TCP Port") return c.hfTcpPort;
    if (clave == "KISS TCP Port") return c.kissTcpPort;
    if (clave == "Font Size") return c.fontSize;
    if (clave == "Top Position") return c.topPosition;
    if (clave == "Window State") return c.windowState;
    ADD_FAILURE() << clave;
    return 0;
}

TEST_P(NumerosCargados, UnusableNumbersTakeTheDefault)
{
    const ValorRaro& v = GetParam();
    const Configuracion c =
        cargar(QByteArray("[") + v.seccion + "]\r\n" + v.clave + "=" + v.guardado + "\r\n");
    EXPECT_EQ(campo(c, v.clave), v.esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, NumerosCargados,
    ::testing::Values(ValorRaro{"Rig", "PTT", "", 52}, ValorRaro{"Rig", "PTT", "300", 52},
                      ValorRaro{"Rig", "PTT", "0", 52}, ValorRaro{"Rig", "PTT", "143", 52},
                      ValorRaro{"Rig", "PTT", "142", 142}, ValorRaro{"Rig", "PTT", "1", 1},
                      ValorRaro{"Rig", "PTT", "-4", 52}, ValorRaro{"Rig", "PTT", "7x", 52},
                      ValorRaro{"Via", "PTT", "4", 3}, ValorRaro{"Via", "PTT", "2", 2},
                      ValorRaro{"Pin", "PTT", "256", 1}, ValorRaro{"Pin", "PTT", " 2 ", 2},
                      ValorRaro{"HF TCP Port", "Setup", "abc", 8300},
                      ValorRaro{"HF TCP Port", "Setup", "65534", 65534},
                      ValorRaro{"HF TCP Port", "Setup", "65536", 8300},
                      ValorRaro{"HF TCP Port", "Setup", "-1", 8300},
                      ValorRaro{"KISS TCP Port", "Setup", "1.5", 8100},
                      ValorRaro{"Font Size", "Setup", "12", 12},
                      ValorRaro{"Top Position", "Position", "-200", -200},
                      ValorRaro{"Top Position", "Position", "99999999999", 870},
                      ValorRaro{"Window State", "Position", "40000", 0},
                      ValorRaro{"Window State", "Position", "2", 2}));

TEST_F(SettingsStoreTest, ModeHoldingKoltfmAnywhereBecomesKoltfmAndOthersStay)
{
    EXPECT_EQ(cargar("[Setup]\r\nKOLT Mode=xKOLTFMy\r\n").koltMode, "KOLTFM");
    EXPECT_EQ(cargar("[Setup]\r\nKOLT Mode=KOLTSAT\r\n").koltMode, "KOLTSAT");
    EXPECT_EQ(cargar("[Setup]\r\nKOLT Mode=koltfm1200\r\n").koltMode, "koltfm1200");
}

TEST_F(SettingsStoreTest, EveryCallSignKeyAndSlotIsCheckedAtLoad)
{
    const Configuracion c = cargar("[Setup]\r\nVia1=wb2osz-t\r\nVia2=N0/CALL\r\n"
                                   "Connect With SAT=\r\nVia2 List14=ab1cd-17\r\n"
                                   "ConnectSAT List3=AB1CD-0\r\nVia1 List7=n0call-05\r\n");
    EXPECT_EQ(c.via1, "WB2OSZ-T");
    EXPECT_EQ(c.via2, "");
    EXPECT_EQ(c.connectWithSAT, "");
    EXPECT_EQ(c.via2List[14], "AB1CD-17");
    EXPECT_EQ(c.connectSATList[3], "");
    EXPECT_EQ(c.via1List[7], "N0CALL-05");
}

TEST_F(SettingsStoreTest, EveryFieldSurvivesASaveAndALoad)
{
    Configuracion c = cargar();
    c.rig = 140;
    c.pttPort = "/dev/ttyUSB1";
    c.pin = 3;
    c.via = 1;
    c.icomAddress = "94";
    c.satTcpPort = 65000;
    c.kissHost = "radio.local";
    c.koltMode = "KOLTSAT";
    c.koltHFBW = "500";
    c.saveLog = 0;
    c.colour = "White";
    for (int i = 0; i < kHistorial; ++i) {
        c.via1List[i] = "DIGI-" + QString::number(i % 9 + 1);
        c.connectFMList[i] = "FM" + QString::number(i);
    }
    c.topPosition = -15;
    c.windowState = 1;
    c.downloadFolder = QString::fromUtf8("/home/op/Téléchargements");
    ASSERT_TRUE(store().GuardarConfiguracion(c));
    EXPECT_TRUE(leer().contains("Download Folder=/home/op/T\xe9l\xe9"
                                "chargements\r\n"))
        << "file text is in the ANSI code page";
    EXPECT_EQ(cargar(), c);
}

TEST_F(SettingsStoreTest, MaximisedWindowKeepsTheStoredSize)
{
    Configuracion c = cargar();
    ASSERT_TRUE(store().GuardarConfiguracion(c, EstadoVentana{0, 9000, 7000}));
    ASSERT_TRUE(store().GuardarConfiguracion(c, EstadoVentana{2, 30000, 20000}));
    const Configuracion leida = cargar();
    EXPECT_EQ(leida.windowState, 2);
    EXPECT_EQ(leida.terminalWidth, 9000);
    EXPECT_EQ(leida.terminalHeight, 7000);
}

TEST_F(SettingsStoreTest, LongValueComesBackCutTo255Characters)
{
    const QByteArray largo(400, 'd');
    EXPECT_EQ(cargar("[Path]\r\nDownload Folder=" + largo + "\r\n").downloadFolder,
              QString(255, u'd'));
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
}

TEST_F(SettingsStoreTest, SaveIntoAMissingFolderFails)
{
    Configuracion c = cargar();
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

TEST(SettingsRecord, DefaultRecordMatchesTheDefaultsOfTheFile)
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("none.ini"), QString(), QString());
    Configuracion leida;
    store.CargarConfiguracion(leida);
    Configuracion nuevo;
    nuevo.koltHFPath = leida.koltHFPath;
    nuevo.koltFMPath = leida.koltFMPath;
    nuevo.koltSATPath = leida.koltSATPath;
    EXPECT_EQ(leida, nuevo);
}

TEST(SettingsRecord, ModeChoosesHostAndPort)
{
    Configuracion c;
    c.hfHost = "hf";
    c.fmHost = "fm";
    c.satHost = "sat";
    c.hfTcpPort = 1;
    c.fmTcpPort = 2;
    c.satTcpPort = 3;
    c.koltMode = "KOLTSAT";
    EXPECT_EQ(HostDelModo(c), "sat");
    EXPECT_EQ(PuertoDelModo(c), 3);
    c.koltMode = "KOLTHF";
    EXPECT_EQ(HostDelModo(c), "hf");
    EXPECT_EQ(PuertoDelModo(c), 1);
    c.koltMode = "KOLTFM";
    EXPECT_EQ(HostDelModo(c), "fm");
    EXPECT_EQ(PuertoDelModo(c), 2);
}

} // namespace
