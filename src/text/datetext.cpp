#include "datetext.h"

using namespace Qt::StringLiterals;

QString shortDateTimeText(const QDateTime &moment, const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return moment.toString(u"yyyy-MM-dd HH:mm"_s);
    return locale.toString(moment.date(), QLocale::ShortFormat) + u' '
        + locale.toString(moment.time(), QLocale::ShortFormat);
}
