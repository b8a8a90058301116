#include "config/AlmacenAjustes.h"
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
    void SetUp() override { FijarPaginaDelSistema(1252); }

    QString ruta() const { return m_dir.filePath(QStringLiteral("KOLT Chat.ini")); }
    AlmacenAjustes store() const { return AlmacenAjustes(ruta(), kEscritorio, kPrograma); }

    QByteArray leer() const
    {
        QFile f(ruta());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    Configuracion cargar(const QByteArray& archivo = {}) const
    {
        QFile f(ruta());
        if (!archivo.isEmpty() && f.open(QIODevice::WriteOnly)) f.write(archivo);
        f.close();
        Configuracion c;
        store().CargarConfiguracion(c);
        return c;
    }

    QTemporaryDir m_dir;
};

// A file that did not exist is written whole from the table of keys, in
// table order, with the defaults the record itself holds (folders aside).
TEST_F(SettingsStoreTest, WithoutAFileEveryKeyTakesItsDefaultAndTheFirstSaveWritesThemAll)
{
    Configuracion c = cargar();
    ASSERT_TRUE(store().GuardarConfiguracion(c));
    EXPECT_TRUE(leer().startsWith("[PTT]\r\nRig=52\r\nPTTPort=COM1\r\n"));
    EXPECT_TRUE(leer().endsWith("[Path]\r\nLoad Path File=/home/op/Desktop\r\n"
                                "Save Path File=/home/op/Desktop\r\n"
                                "Download Folder=/home/op/Desktop\r\n"));
    EXPECT_EQ(leer().count('='), 116) << "every key";
    Configuracion nuevo;
    nuevo.koltHFPath = nuevo.koltFMPath = nuevo.koltSATPath = kPrograma + "/kolt-modem-sim";
    nuevo.loadPathFile = nuevo.savePathFile = nuevo.downloadFolder = kEscritorio;
    EXPECT_EQ(nuevo, c);
}

TEST_F(SettingsStoreTest, OddFileLoadsCleanedAndSavesEveryKeyKeepingForeignLines)
{
    Configuracion c = cargar("; written by hand\n[Setup]\nmy callsign = n0call-7\n"
                             "Foreign Key=keep me\nKOLT Mode=KOLTFM1200\nHF TCP Port=abc\n"
                             "ConnectHF List1=N0CALL-99\n\n[Other Program]\nForeign=1\n"
                             "[Path]\nDownload Folder=/home/op/T\xe9l\xe9\x80\n");
    EXPECT_EQ(c.downloadFolder, QString::fromUtf8("/home/op/Télé€")); // the ANSI code page
    ASSERT_TRUE(store().GuardarConfiguracion(c));
    const QByteArray guardado = leer();
    // Own keys are rewritten where they stood, in CR LF lines; foreign lines stay.
    EXPECT_TRUE(guardado.startsWith("; written by hand\r\n[Setup]\r\nMy Callsign=N0CALL-7\r\n"
                                    "Foreign Key=keep me\r\nKOLT Mode=KOLTFM\r\n"
                                    "HF TCP Port=8300\r\nConnectHF List1=\r\n"));
    EXPECT_TRUE(guardado.contains("[Path]\r\nDownload Folder=/home/op/T\xe9l\xe9\x80\r\n"));
    AlmacenAjustes otra = store();
    Configuracion recargada;
    otra.CargarConfiguracion(recargada);
    EXPECT_EQ(recargada, c);
    EXPECT_EQ(otra.LeerINI("other program", "FOREIGN", "none"), "1");
    EXPECT_EQ(cargar("[PTT]\r\nRig=7\r\n" + QByteArray(AlmacenAjustes::kTamanoMaximo, ';')).rig, 52)
        << "too big a file reads as absent";
}

// A value as the file holds it, and as the next save writes it once the
// load has cleaned it (defaults for bad numbers, checked call signs).
TEST_F(SettingsStoreTest, OddValuesAreCleanedAtLoad)
{
    const char* const casos[][3] = {{"PTT", "Rig=0", "Rig=52"},
                                    {"PTT", "Rig=143", "Rig=52"},
                                    {"PTT", "Via=4", "Via=3"},
                                    {"Setup", "HF TCP Port=65536", "HF TCP Port=8300"},
                                    {"Position", "Top Position=99999999999", "Top Position=870"},
                                    {"Position", "Window State=40000", "Window State=0"},
                                    {"Setup", "KOLT Mode=xKOLTFMy", "KOLT Mode=KOLTFM"},
                                    {"Setup", "Via2=N0/CALL", "Via2="},
                                    {"Setup", "Via1 List7=n0call-05", "Via1 List7=N0CALL-05"}};
    for (const auto& [seccion, guardado, limpio] : casos) {
        Configuracion c = cargar(QByteArray("[") + seccion + "]\r\n" + guardado);
        ASSERT_TRUE(store().GuardarConfiguracion(c));
        EXPECT_TRUE(leer().contains(QByteArray("\r\n") + limpio + "\r\n")) << guardado;
    }
}

TEST_F(SettingsStoreTest, MinimisedWindowKeepsTheStoredSize)
{
    Configuracion c = cargar();
    ASSERT_TRUE(store().GuardarConfiguracion(c, EstadoVentana{0, 9000, 7000}));
    ASSERT_TRUE(store().GuardarConfiguracion(c, EstadoVentana{1, 30000, 20000}));
    const Configuracion leida = cargar();
    EXPECT_EQ(leida.windowState, 1);
    EXPECT_EQ(leida.terminalWidth, 9000);
    EXPECT_EQ(leida.terminalHeight, 7000);
}

// A full disk (the file-size limit, root too): the old file stays, alone.
TEST_F(SettingsStoreTest, FailedSaveReportsFailureAndLeavesThePreviousFileUnchanged)
{
    const QByteArray antes = "; mine\r\n[PTT]\r\nRig=7\r\n";
    Configuracion c = cargar(antes);
    c.rig = 9;
    rlimit limite{}, nuevo{};
    getrlimit(RLIMIT_FSIZE, &limite);
    nuevo = limite;
    nuevo.rlim_cur = 512;
    const auto senal = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &nuevo);
    const bool guardado = store().GuardarConfiguracion(c);
    setrlimit(RLIMIT_FSIZE, &limite);
    std::signal(SIGXFSZ, senal);
    EXPECT_FALSE(guardado);
    EXPECT_EQ(leer(), antes);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"KOLT Chat.ini"});
}

// The program folder when writable (probed without a trace), else the user's.
TEST(SettingsFolder, ProgramFolderWhenWritableElseTheUserFolder)
{
    QTemporaryDir dir;
    const QString usuario = dir.filePath("user/config");
    EXPECT_EQ(CarpetaAjustes(dir.path(), usuario), dir.path());
    EXPECT_EQ(CarpetaAjustes(dir.filePath("no/such/folder"), usuario), usuario);
    EXPECT_TRUE(QDir(usuario).exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

} // namespace
