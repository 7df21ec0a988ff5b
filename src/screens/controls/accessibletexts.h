#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// What a screen reader says for the controls of every screen, and the action labels that are
// both shown and read: one place for these texts, so a label and its spoken name never part.
// Composed texts join their parts with the Arabic comma, where a reader pauses.
class AccessibleTexts : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString refresh MEMBER refresh CONSTANT)
    Q_PROPERTY(QString refreshing MEMBER refreshing CONSTANT)
    Q_PROPERTY(QString addSource MEMBER addSource CONSTANT)
    Q_PROPERTY(QString allPackages MEMBER allPackages CONSTANT)
    Q_PROPERTY(QString updates MEMBER updates CONSTANT)
    Q_PROPERTY(QString profile MEMBER profile CONSTANT)
    Q_PROPERTY(QString scrollToTop MEMBER scrollToTop CONSTANT)
    Q_PROPERTY(QString back MEMBER back CONSTANT)
    Q_PROPERTY(QString clearText MEMBER clearText CONSTANT)
    Q_PROPERTY(QString save MEMBER save CONSTANT)
    Q_PROPERTY(QString pin MEMBER pin CONSTANT)
    Q_PROPERTY(QString unpin MEMBER unpin CONSTANT)
    Q_PROPERTY(QString remove MEMBER remove CONSTANT)
    Q_PROPERTY(QString download MEMBER download CONSTANT)
    Q_PROPERTY(QString copyDownloadLink MEMBER copyDownloadLink CONSTANT)
    Q_PROPERTY(QString openInSileo MEMBER openInSileo CONSTANT)
    Q_PROPERTY(QString copyShareLink MEMBER copyShareLink CONSTANT)
    Q_PROPERTY(QString packagePage MEMBER packagePage CONSTANT)
    Q_PROPERTY(QString architectures MEMBER architectures CONSTANT)
    Q_PROPERTY(QString refreshSource MEMBER refreshSource CONSTANT)
    Q_PROPERTY(QString copyAddress MEMBER copyAddress CONSTANT)
    Q_PROPERTY(QString retry MEMBER retry CONSTANT)

public:
    using QObject::QObject;

    static inline const QString refresh = QStringLiteral("تحديث");
    // The refresh button while some refresh runs.
    static inline const QString refreshing = QStringLiteral("تحديث، جارٍ التحديث");
    static inline const QString addSource = QStringLiteral("إضافة سورس");
    static inline const QString allPackages = QStringLiteral("جميع الحزم");
    static inline const QString updates = QStringLiteral("المستجدات");
    static inline const QString profile = QStringLiteral("فتح الرابط الشخصي");
    static inline const QString scrollToTop = QStringLiteral("العودة إلى الأعلى");
    static inline const QString back = QStringLiteral("رجوع");
    static inline const QString clearText = QStringLiteral("مسح النص");
    static inline const QString save = QStringLiteral("حفظ");
    static inline const QString pin = QStringLiteral("تثبيت");
    static inline const QString unpin = QStringLiteral("إلغاء التثبيت");
    static inline const QString remove = QStringLiteral("حذف");
    static inline const QString download = QStringLiteral("تحميل");
    static inline const QString copyDownloadLink = QStringLiteral("نسخ رابط التحميل");
    static inline const QString openInSileo = QStringLiteral("فتح الأداة في Sileo");
    static inline const QString copyShareLink = QStringLiteral("نسخ رابط المشاركة");
    static inline const QString packagePage = QStringLiteral("صفحة الحزمة");
    static inline const QString architectures = QStringLiteral("البنية");
    static inline const QString refreshSource = QStringLiteral("تحديث هذا السورس");
    static inline const QString copyAddress = QStringLiteral("نسخ العنوان");
    static inline const QString retry = QStringLiteral("إعادة المحاولة");

    // "عدد الحزم: 12", as the row shows it.
    [[nodiscard]] Q_INVOKABLE static QString packageCount(int count);
    // A source row as one item: its name, whether it is pinned and fixed, package count and last
    // refresh, whether it is refreshing now, and why its last refresh failed.
    [[nodiscard]] Q_INVOKABLE static QString sourceRow(const QString &name, bool isPinned, bool isFixed,
                                                       int packageCount, const QString &lastUpdatedText,
                                                       bool isUpdating, const QString &failureReason = {});
    // A package card as one sentence, in the order it is seen: display name (when it is not the
    // identifier), identifier, version, size, architecture and rating (when it has one).
    [[nodiscard]] Q_INVOKABLE static QString card(const QString &displayName, const QString &name,
                                                  const QString &version, const QString &sizeText,
                                                  const QString &architecture, const QString &ratingText);
    // Text as a reader should say it: without the marks that only order it on screen.
    [[nodiscard]] Q_INVOKABLE static QString spoken(const QString &text);
    // A spoken name followed by a mark ("جديد", "مُحدَّث") when there is one.
    [[nodiscard]] Q_INVOKABLE static QString marked(const QString &spoken, const QString &mark);
    // The order menu button: what it chooses and the current choice.
    [[nodiscard]] Q_INVOKABLE static QString orderChoice(const QString &current);
    // The rating row, shown and read alike: "التقييم: 4.0", not a count of stars.
    [[nodiscard]] Q_INVOKABLE static QString rating(const QString &ratingText);
    // The section menu button: what it chooses and the current choice.
    [[nodiscard]] Q_INVOKABLE static QString sectionChoice(const QString &current);
};
