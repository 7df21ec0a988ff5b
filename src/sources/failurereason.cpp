#include "failurereason.h"

using namespace Qt::StringLiterals;

QString failureReason(const IndexError &error)
{
    switch (error.kind) {
    case IndexError::Kind::BadUrl:
        return u"العنوان غير صالح"_s;
    case IndexError::Kind::HttpStatus:
        // Every compressed name was asked for too: there is no index at this address.
        if (error.status == 404 || error.status == 410)
            return u"لا يوجد فهرس حزم على هذا العنوان"_s;
        return u"ردّ الخادم بالرمز %1"_s.arg(error.status);
    case IndexError::Kind::TooLarge:
        return u"الفهرس أكبر من الحد المسموح به"_s;
    case IndexError::Kind::NotUtf8:
        return u"الفهرس ليس نصًا بترميز UTF-8"_s;
    case IndexError::Kind::Corrupt:
        return u"الفهرس المضغوط تالف"_s;
    case IndexError::Kind::Markup:
        return u"العنوان يعرض صفحة ويب بدل فهرس الحزم"_s;
    case IndexError::Kind::Unreadable:
        return u"تعذّرت قراءة الفهرس"_s;
    case IndexError::Kind::Network:
        break;
    }
    switch (error.cause) {
    case IndexError::Cause::Timeout:
        return u"الخادم بطيء جدًا أو لم يستجب في الوقت المحدد"_s;
    case IndexError::Cause::NoConnection:
        return u"تعذّر الاتصال بالخادم"_s;
    case IndexError::Cause::SecureConnection:
        return u"فشل الاتصال الآمن بالخادم"_s;
    case IndexError::Cause::Other:
        break;
    }
    return u"انقطع الاتصال بالخادم قبل اكتمال الفهرس"_s;
}
