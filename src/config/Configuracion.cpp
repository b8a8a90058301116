#include "config/Configuracion.h"
#include "config/TablaAjustes.h"

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

ModoKolt ModoKolt::DesdeTexto(const QString& texto)
{
    if (texto.contains(QLatin1String("KOLTFM"))) return Variante::FM;
    ModoKolt m(VarianteDeTexto(texto.toStdString()));
    if (m.m_variante == Variante::Ninguna) m.m_texto = texto;
    return m;
}

QString ModoKolt::Texto() const
{
    if (m_variante == Variante::Ninguna) return m_texto;
    const std::string_view t = TextoVariante(m_variante);
    return QString::fromLatin1(t.data(), qsizetype(t.size()));
}

const CamposVariante& CamposDe(Variante v)
{
    static const CamposVariante campos[] = {
        {&C::hfHost, &C::hfTcpPort, &C::koltHFPath, &C::connectWithHF},
        {&C::fmHost, &C::fmTcpPort, &C::koltFMPath, &C::connectWithFM},
        {&C::satHost, &C::satTcpPort, &C::koltSATPath, &C::connectWithSAT}};
    return campos[Indice(v)];
}

QString NombreDe(Variante v)
{
    const std::string_view n = NombreVariante(v);
    return QString::fromLatin1(n.data(), qsizetype(n.size()));
}

QString HostDelModo(const Configuracion& c)
{
    return c.*CamposDe(c.koltMode.variante()).host;
}

std::uint16_t PuertoDelModo(const Configuracion& c)
{
    return c.*CamposDe(c.koltMode.variante()).puerto;
}

const QString* DestinoDelModo(const Configuracion& c)
{
    if (c.koltMode == Variante::Ninguna) return nullptr;
    return &(c.*CamposDe(c.koltMode.variante()).destino);
}

QString RutaDelModo(const Configuracion& c)
{
    if (c.koltMode == Variante::Ninguna) return {};
    return c.*CamposDe(c.koltMode.variante()).ruta;
}

} // namespace kolt::config
