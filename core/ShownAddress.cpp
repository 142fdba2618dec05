#include "core/ShownAddress.h"

#include <QRegularExpression>

namespace orvanto {

QString shownAddress(const QString& text) {
    static const QRegularExpression portalPath(
        QStringLiteral("(/(?:live|timeshift|movie|series)/[^/\\s?#]+/)[^/\\s?#]+(?=/)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression query(
        QStringLiteral("([?&](?:password|passwd|pass|pwd)=)[^&\\s#]*"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression userInfo(QStringLiteral("(://[^/\\s:@?#]*:)[^@/\\s?#]*(?=@)"));
    static const QString hidden = QStringLiteral("\\1\u2022\u2022\u2022");
    if (!text.contains(u'/') && !text.contains(u'=')) {
        return text;
    }
    QString shown = text;
    shown.replace(portalPath, hidden);
    shown.replace(query, hidden);
    shown.replace(userInfo, hidden);
    return shown;
}

} // namespace orvanto
