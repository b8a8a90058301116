#include "config/RelojUTC.h"

namespace kolt::config {

QString HoraUTC(const QDateTime& ahora)
{
    return ahora.toUTC().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace kolt::config
