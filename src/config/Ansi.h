#pragma once
// 8-bit text on the wire and in files: the system's ANSI code page.
//
// Every byte stream the station exchanges (modem lines, chat frames, KISS
// messages, the ini file, session logs) holds 8-bit text in the ANSI code
// page, as a station on Windows writes it. On Windows that is the system's
// code page; elsewhere it is derived from the locale the way Windows derives
// it from the system locale, so that two stations in the same language read
// the same characters. Inside the program text is Unicode.
//
// A character the code page cannot hold is sent as "?", and bytes that do not
// decode read as "?": never a replacement glyph or a control character.

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <memory>

namespace kolt::config {

// The Windows ANSI code page of a locale: 1250 Central European, 1251
// Cyrillic, 1253 Greek, 1254 Turkish, 1255 Hebrew, 1256 Arabic, 1257 Baltic,
// 1258 Vietnamese, 874 Thai, 932 Japanese, 936 Simplified Chinese, 949
// Korean, 950 Traditional Chinese, and 1252 for every other language.
int PaginaDeLocale(const QLocale& locale);

// One code page, ready to convert. Single-byte pages convert through tables
// built once; the East Asian double-byte pages through Qt's converters.
class PaginaAnsi {
public:
    // A page Qt cannot provide falls back to 1252, which is always present.
    explicit PaginaAnsi(int pagina);
    ~PaginaAnsi();
    PaginaAnsi(const PaginaAnsi&) = delete;
    PaginaAnsi& operator=(const PaginaAnsi&) = delete;

    int numero() const;
    QByteArray codificar(QStringView texto) const;
    QString decodificar(QByteArrayView bytes) const;

    // 1252 built from our own table rather than Qt's converters, for Qt
    // builds without ICU; tests compare the two.
    static std::unique_ptr<PaginaAnsi> Windows1252Propia();

private:
    struct Datos;
    explicit PaginaAnsi(std::unique_ptr<Datos> datos);
    std::unique_ptr<Datos> m_d;
};

// The process's code page: from the system locale unless set. Setting it is
// for tests and for an operator who needs a different page; it is meant to
// happen before any text is converted.
const PaginaAnsi& PaginaDelSistema();
void FijarPaginaDelSistema(int pagina);

QByteArray ATextoAnsi(QStringView texto);
QString DeTextoAnsi(QByteArrayView bytes);

} // namespace kolt::config
