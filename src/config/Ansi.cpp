#include "config/Ansi.h"

#include <QMutex>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <atomic>
#include <map>

#ifdef Q_OS_WIN
#define NOMINMAX
#include <windows.h>
#endif

namespace kolt::config {

namespace {

// Windows-1252 from 0x80 to 0x9F; the rest of the page is Latin-1. The five
// unassigned bytes map to the C1 controls of the same value, as Windows and
// ICU map them, so that every byte survives a round trip.
constexpr std::array<char16_t, 32> k1252Alto = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const char* nombreQt(int pagina)
{
    switch (pagina) {
    case 874: return "windows-874";
    case 932: return "windows-31j";
    case 936: return "windows-936";
    case 949: return "windows-949";
    case 950: return "windows-950";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1252: return "windows-1252";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    default: return nullptr;
    }
}

bool dobleByte(int pagina)
{
    return pagina == 932 || pagina == 936 || pagina == 949 || pagina == 950;
}

} // namespace

struct PaginaAnsi::Datos {
    int numero = 1252;
    QByteArray nombre; // Qt's name, for the double-byte pages
    // Single-byte pages: byte -> UTF-16 and UTF-16 -> byte ('?' when none).
    std::array<char16_t, 256> aUnicode{};
    std::array<unsigned char, 0x10000> deUnicode{};

    void completarInversa()
    {
        deUnicode.fill('?');
        // Downwards, so that the lowest byte wins when two decode alike.
        for (int b = 255; b >= 0; --b) {
            if (aUnicode[b] != u'?' || b == '?')
                deUnicode[aUnicode[b]] = static_cast<unsigned char>(b);
        }
    }
};

PaginaAnsi::PaginaAnsi(std::unique_ptr<Datos> datos) : m_d(std::move(datos)) {}
PaginaAnsi::~PaginaAnsi() = default;

PaginaAnsi::PaginaAnsi(int pagina) : m_d(std::make_unique<Datos>())
{
    const char* nombre = nombreQt(pagina);
    QStringDecoder prueba(nombre ? nombre : "", QStringConverter::Flag::Stateless);
    if (!nombre || !prueba.isValid()) {
        m_d = std::move(Windows1252Propia()->m_d);
        return;
    }
    m_d->numero = pagina;
    m_d->nombre = nombre;
    if (dobleByte(pagina)) return;
    for (int b = 0; b < 256; ++b) {
        QStringDecoder dec(nombre, QStringConverter::Flag::Stateless);
        const char byte = static_cast<char>(b);
        const QString u = dec(QByteArrayView(&byte, 1));
        const bool simple = u.size() == 1 && !dec.hasError() && u[0] != QChar::ReplacementCharacter;
        m_d->aUnicode[b] = simple ? u[0].unicode() : u'?';
    }
    m_d->completarInversa();
}

std::unique_ptr<PaginaAnsi> PaginaAnsi::Windows1252Propia()
{
    auto d = std::make_unique<Datos>();
    for (int b = 0; b < 256; ++b) {
        d->aUnicode[b] = (b >= 0x80 && b < 0xA0) ? k1252Alto[b - 0x80] : static_cast<char16_t>(b);
    }
    d->completarInversa();
    return std::unique_ptr<PaginaAnsi>(new PaginaAnsi(std::move(d)));
}

int PaginaAnsi::numero() const
{
    return m_d->numero;
}

namespace {

// Encodes with Qt's converter; pieces that report an unmappable character
// are halved until the culprit is a single code point, which becomes "?".
// Only the pieces around a bad character pay for the extra passes.
void codificarPorPartes(const QByteArray& nombre, QStringView texto, QByteArray& salida)
{
    QStringEncoder enc(nombre.constData(), QStringConverter::Flag::Stateless);
    const QByteArray bytes = enc(texto);
    if (!enc.hasError()) {
        salida += bytes;
        return;
    }
    const bool par = texto.size() == 2 && texto[0].isHighSurrogate() && texto[1].isLowSurrogate();
    if (texto.size() == 1 || par) {
        salida += '?';
        return;
    }
    qsizetype mitad = texto.size() / 2;
    if (texto[mitad].isLowSurrogate() && texto[mitad - 1].isHighSurrogate()) ++mitad;
    codificarPorPartes(nombre, texto.first(mitad), salida);
    codificarPorPartes(nombre, texto.sliced(mitad), salida);
}

// The C0 controls and DEL are single bytes in every double-byte page (no
// lead or trail byte is one), and Windows maps them to themselves. ICU's
// Shift_JIS swaps a few of them, so they never go through ICU at all.
char16_t codigo(QChar c)
{
    return c.unicode();
}
char16_t codigo(char c)
{
    return static_cast<unsigned char>(c);
}
bool esControl(char16_t u)
{
    return u < 0x20 || u == 0x7F;
}

// Calls `f` for each control character alone and for each run between them.
template <typename Vista, typename F> void recorrerTramos(Vista texto, F&& f)
{
    qsizetype inicio = 0;
    for (qsizetype i = 0; i <= texto.size(); ++i) {
        const bool fin = i == texto.size();
        if (!fin && !esControl(codigo(texto[i]))) continue;
        if (i > inicio) f(texto.sliced(inicio, i - inicio));
        if (!fin) f(texto.sliced(i, 1));
        inicio = i + 1;
    }
}

// A run without controls, so every SUB or U+FFFD that ICU puts out marks
// bytes that do not decode. The blank after the run turns a lead byte left
// dangling at its end into such a mark instead of letting it vanish.
QString decodificarTramo(const QByteArray& nombre, QByteArrayView tramo)
{
    QStringDecoder dec(nombre.constData(), QStringConverter::Flag::Stateless);
    QString texto = dec(tramo.toByteArray() + ' ');
    if (texto.endsWith(u' ')) texto.chop(1);
    texto.replace(QChar::ReplacementCharacter, u'?');
    texto.replace(QChar(0x1A), u'?');
    return texto;
}

} // namespace

QByteArray PaginaAnsi::codificar(QStringView texto) const
{
    QByteArray salida;
    if (!m_d->nombre.isEmpty() && dobleByte(m_d->numero)) {
        recorrerTramos(texto, [&](QStringView tramo) {
            if (esControl(codigo(tramo[0])))
                salida += static_cast<char>(codigo(tramo[0]));
            else
                codificarPorPartes(m_d->nombre, tramo, salida);
        });
        return salida;
    }
    salida.resize(texto.size());
    char* out = salida.data();
    qsizetype n = 0;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const char16_t u = texto[i].unicode();
        // A surrogate pair is one character the page cannot hold: one "?".
        if (QChar::isHighSurrogate(u) && i + 1 < texto.size() && texto[i + 1].isLowSurrogate()) {
            ++i;
        }
        out[n++] = static_cast<char>(m_d->deUnicode[u]);
    }
    salida.truncate(n);
    return salida;
}

QString PaginaAnsi::decodificar(QByteArrayView bytes) const
{
    if (!m_d->nombre.isEmpty() && dobleByte(m_d->numero)) {
        QString texto;
        recorrerTramos(bytes, [&](QByteArrayView tramo) {
            if (esControl(codigo(tramo[0])))
                texto += QChar(codigo(tramo[0]));
            else
                texto += decodificarTramo(m_d->nombre, tramo);
        });
        return texto;
    }
    QString texto(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(texto.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out[i] = m_d->aUnicode[static_cast<unsigned char>(bytes[i])];
    }
    return texto;
}

int PaginaDeLocale(const QLocale& locale)
{
    const QLocale::Script escritura = locale.script();
    switch (locale.language()) {
    case QLocale::Albanian:
    case QLocale::Croatian:
    case QLocale::Czech:
    case QLocale::Hungarian:
    case QLocale::Polish:
    case QLocale::Romanian:
    case QLocale::Slovak:
    case QLocale::Slovenian:
    case QLocale::Turkmen: return 1250;
    case QLocale::Bosnian:
    case QLocale::Serbian: return escritura == QLocale::CyrillicScript ? 1251 : 1250;
    case QLocale::Bashkir:
    case QLocale::Belarusian:
    case QLocale::Bulgarian:
    case QLocale::Kazakh:
    case QLocale::Kyrgyz:
    case QLocale::Macedonian:
    case QLocale::Mongolian:
    case QLocale::Russian:
    case QLocale::Sakha:
    case QLocale::Tajik:
    case QLocale::Tatar:
    case QLocale::Ukrainian: return 1251;
    case QLocale::Greek: return 1253;
    case QLocale::Azerbaijani:
    case QLocale::Uzbek: return escritura == QLocale::CyrillicScript ? 1251 : 1254;
    case QLocale::Turkish: return 1254;
    case QLocale::Hebrew:
    case QLocale::Yiddish: return 1255;
    case QLocale::Arabic:
    case QLocale::CentralKurdish:
    case QLocale::Pashto:
    case QLocale::Persian:
    case QLocale::Sindhi:
    case QLocale::Urdu:
    case QLocale::Uyghur: return 1256;
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian: return 1257;
    case QLocale::Vietnamese: return 1258;
    case QLocale::Thai: return 874;
    case QLocale::Japanese: return 932;
    case QLocale::Korean: return 949;
    case QLocale::Chinese: {
        if (escritura == QLocale::TraditionalChineseScript) return 950;
        if (escritura == QLocale::SimplifiedChineseScript) return 936;
        const QLocale::Territory t = locale.territory();
        const bool tradicional =
            t == QLocale::Taiwan || t == QLocale::HongKong || t == QLocale::Macao;
        return tradicional ? 950 : 936;
    }
    default: return 1252;
    }
}

namespace {

QMutex g_cerrojo;
std::atomic<const PaginaAnsi*> g_actual{nullptr};

// Pages are never freed, so a reference handed out stays valid after the
// process page changes.
const PaginaAnsi& paginaEnCache(int numero)
{
    static std::map<int, std::unique_ptr<PaginaAnsi>> cache;
    auto& p = cache[numero];
    if (!p) p = std::make_unique<PaginaAnsi>(numero);
    return *p;
}

int paginaInicial()
{
#ifdef Q_OS_WIN
    return static_cast<int>(GetACP());
#else
    return PaginaDeLocale(QLocale::system());
#endif
}

} // namespace

const PaginaAnsi& PaginaDelSistema()
{
    if (const PaginaAnsi* p = g_actual.load(std::memory_order_acquire)) return *p;
    QMutexLocker lock(&g_cerrojo);
    if (!g_actual.load()) g_actual.store(&paginaEnCache(paginaInicial()));
    return *g_actual.load();
}

void FijarPaginaDelSistema(int pagina)
{
    QMutexLocker lock(&g_cerrojo);
    g_actual.store(&paginaEnCache(pagina), std::memory_order_release);
}

QByteArray ATextoAnsi(QStringView texto)
{
    return PaginaDelSistema().codificar(texto);
}

QString DeTextoAnsi(QByteArrayView bytes)
{
    return PaginaDelSistema().decodificar(bytes);
}

} // namespace kolt::config
