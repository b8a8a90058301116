#include "config/UtcClock.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using kolt::config::HoraUTC;

TEST(UtcStamp, TwoDigitFieldsInUtcWhateverTheZoneOfTheGivenTime)
{
    const QDateTime utc(QDate(2024, 3, 7), QTime(7, 5, 9), QTimeZone::utc());
    EXPECT_EQ(HoraUTC(utc), "07:05:09");
    const QDateTime elsewhere = utc.toTimeZone(QTimeZone(QByteArray("Asia/Kolkata")));
    EXPECT_EQ(HoraUTC(elsewhere), "07:05:09");
}
