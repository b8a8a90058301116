#pragma once
// The UTC stamp shown beside link banners, CQ calls and broadcasts.

#include <QDateTime>
#include <QString>

namespace kolt::config {

// "hh:mm:ss" of the given UTC time (the current time when none is given).
QString HoraUTC(const QDateTime& ahora = QDateTime::currentDateTimeUtc());

} // namespace kolt::config
