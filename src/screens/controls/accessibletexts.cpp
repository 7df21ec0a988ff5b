#include "accessibletexts.h"

using namespace Qt::StringLiterals;

namespace {

const QString separator = u"، "_s;

bool isDirectionalMark(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) || u == 0x200E || u == 0x200F || u == 0x061C;
}

} // namespace

QString AccessibleTexts::packageCount(int count)
{
    return u"عدد الحزم: "_s + QString::number(count);
}

QString AccessibleTexts::sourceRow(const QString &name, bool isPinned, bool isFixed, int packageCount,
                                   const QString &lastUpdatedText, bool isUpdating,
                                   const QString &failureReason)
{
    QString text = spoken(name);
    if (isPinned)
        text += separator + u"مثبّت"_s;
    if (isFixed)
        text += separator + u"ثابت"_s;
    text += separator + AccessibleTexts::packageCount(packageCount) + separator + u"آخر تحديث: "_s
        + spoken(lastUpdatedText);
    if (isUpdating)
        text += separator + u"جارٍ التحديث"_s;
    if (!failureReason.isEmpty())
        text += separator + u"فشل التحديث: "_s + failureReason;
    return text;
}

QString AccessibleTexts::card(const QString &displayName, const QString &name, const QString &version,
                              const QString &sizeText, const QString &architecture, const QString &ratingText)
{
    QString text;
    if (!displayName.isEmpty() && displayName != name)
        text = spoken(displayName) + separator;
    text += spoken(name) + separator + u"الإصدار: "_s + spoken(version) + separator + u"حجم الملف: "_s
        + spoken(sizeText) + separator + u"البنية: "_s + spoken(architecture);
    if (!ratingText.isEmpty())
        text += separator + rating(spoken(ratingText));
    return text;
}

QString AccessibleTexts::rating(const QString &ratingText)
{
    return u"التقييم: "_s + ratingText;
}

QString AccessibleTexts::sectionChoice(const QString &current)
{
    return u"القسم: "_s + spoken(current);
}

QString AccessibleTexts::spoken(const QString &text)
{
    QString plain = text;
    plain.removeIf(isDirectionalMark);
    return plain;
}

QString AccessibleTexts::marked(const QString &spoken, const QString &mark)
{
    return mark.isEmpty() ? spoken : spoken + separator + mark;
}

QString AccessibleTexts::orderChoice(const QString &current)
{
    return u"الترتيب: "_s + current;
}
