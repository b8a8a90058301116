#include "config/Settings.h"
#include "config/SettingsTable.h"

namespace kolt::config {

namespace {

using C = Configuracion;

std::vector<Clave> construirTabla()
{
    const char* ptt = "PTT";
    const char* setup = "Setup";
    const char* posicion = "Position";
    const char* ruta = "Path";
    auto s = [](const char* t) { return QString::fromLatin1(t); };

    std::vector<Clave> t = {
        {ptt, s("Rig"), &C::rig},
        {ptt, s("PTTPort"), &C::pttPort},
        {ptt, s("CATPort"), &C::catPort},
        {ptt, s("Baud"), &C::baud},
        {ptt, s("Pin"), &C::pin},
        {ptt, s("RTS"), &C::rts},
        {ptt, s("DTR"), &C::dtr},
        {ptt, s("Via"), &C::via},
        {ptt, s("Icom Address"), &C::icomAddress},
        {setup, s("HF TCP Port"), &C::hfTcpPort},
        {setup, s("FM TCP Port"), &C::fmTcpPort},
        {setup, s("SAT TCP Port"), &C::satTcpPort},
        {setup, s("KISS TCP Port"), &C::kissTcpPort},
        {setup, s("HF Host"), &C::hfHost},
        {setup, s("FM Host"), &C::fmHost},
        {setup, s("SAT Host"), &C::satHost},
        {setup, s("KISS Host"), &C::kissHost},
        {setup, s("My Callsign"), &C::myCallsign, -1, Defecto::DelRegistro, true},
        {setup, s("Connect With HF"), &C::connectWithHF, -1, Defecto::DelRegistro, true},
        {setup, s("Connect With FM"), &C::connectWithFM, -1, Defecto::DelRegistro, true},
        {setup, s("Connect With SAT"), &C::connectWithSAT, -1, Defecto::DelRegistro, true},
        {setup, s("Via1"), &C::via1, -1, Defecto::DelRegistro, true},
        {setup, s("Via2"), &C::via2, -1, Defecto::DelRegistro, true},
        {setup, s("KOLT Mode"), &C::koltMode},
        {setup, s("KOLTHF BW"), &C::koltHFBW},
        {setup, s("AutoDisconnect"), &C::autoDisconnect},
        {setup, s("AutoLaunch"), &C::autoLaunch},
        {setup, s("Save Log"), &C::saveLog},
        {setup, s("KOLT HF Path"), &C::koltHFPath, -1, Defecto::ModemHF},
        {setup, s("KOLT FM Path"), &C::koltFMPath, -1, Defecto::ModemFM},
        {setup, s("KOLT SAT Path"), &C::koltSATPath, -1, Defecto::ModemSAT},
        {setup, s("Font Size"), &C::fontSize},
        {setup, s("Colour"), &C::colour},
    };
    const std::pair<const char*, Historial C::*> listas[] = {
        {"ConnectHF List", &C::connectHFList},
        {"ConnectFM List", &C::connectFMList},
        {"ConnectSAT List", &C::connectSATList},
        {"Via1 List", &C::via1List},
        {"Via2 List", &C::via2List}};
    for (const auto& [nombre, campo] : listas) {
        for (int i = 0; i < kHistorial; ++i) {
            t.push_back(
                {setup, s(nombre) + QString::number(i), campo, i, Defecto::DelRegistro, true});
        }
    }
    const Clave resto[] = {
        {posicion, s("Top Position"), &C::topPosition},
        {posicion, s("Left Position"), &C::leftPosition},
        {posicion, s("Terminal Width"), &C::terminalWidth},
        {posicion, s("Terminal Height"), &C::terminalHeight},
        {posicion, s("Window State"), &C::windowState},
        {ruta, s("Load Path File"), &C::loadPathFile, -1, Defecto::Escritorio},
        {ruta, s("Save Path File"), &C::savePathFile, -1, Defecto::Escritorio},
        {ruta, s("Download Folder"), &C::downloadFolder, -1, Defecto::Escritorio},
    };
    t.insert(t.end(), std::begin(resto), std::end(resto));
    return t;
}

} // namespace

const std::vector<Clave>& TablaDeClaves()
{
    static const std::vector<Clave> tabla = construirTabla();
    return tabla;
}

QString HostDelModo(const Configuracion& c)
{
    if (c.koltMode == QLatin1String("KOLTHF")) return c.hfHost;
    if (c.koltMode == QLatin1String("KOLTSAT")) return c.satHost;
    return c.fmHost;
}

const QString* DestinoDelModo(const Configuracion& c)
{
    if (c.koltMode == QLatin1String("KOLTHF")) return &c.connectWithHF;
    if (c.koltMode == QLatin1String("KOLTFM")) return &c.connectWithFM;
    if (c.koltMode == QLatin1String("KOLTSAT")) return &c.connectWithSAT;
    return nullptr;
}

std::uint16_t PuertoDelModo(const Configuracion& c)
{
    if (c.koltMode == QLatin1String("KOLTHF")) return c.hfTcpPort;
    if (c.koltMode == QLatin1String("KOLTSAT")) return c.satTcpPort;
    return c.fmTcpPort;
}

} // namespace kolt::config
