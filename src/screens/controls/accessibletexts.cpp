#include "accessibletexts.h"

using namespace Qt::StringLiterals;

namespace {

const QString separator = u"، "_s;

} // namespace

QString AccessibleTexts::packageCount(int count)
{
    return u"عدد الحزم: "_s + QString::number(count);
}

QString AccessibleTexts::sourceRow(const QString &name, int packageCount, const QString &lastUpdatedText,
                                   bool isUpdating)
{
    QString text = name + separator + AccessibleTexts::packageCount(packageCount) + separator
        + u"آخر تحديث: "_s + lastUpdatedText;
    if (isUpdating)
        text += separator + u"جارٍ التحديث"_s;
    return text;
}

QString AccessibleTexts::card(const QString &name, const QString &version, const QString &sizeText)
{
    return name + separator + u"الإصدار: "_s + version + separator + u"حجم الملف: "_s + sizeText;
}

QString AccessibleTexts::rating(const QString &ratingText)
{
    return u"التقييم: "_s + ratingText;
}

QString AccessibleTexts::sectionChoice(const QString &current)
{
    return u"القسم: "_s + current;
}
