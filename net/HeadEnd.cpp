#include "net/HeadEnd.h"

#include <QtGlobal>

namespace orvanto {

HeadEnd findHeadEnd(QByteArrayView head, qsizetype from) {
    for (qsizetype i = qMax<qsizetype>(0, from - 2); i < head.size(); ++i) {
        if (head[i] != '\n') {
            continue;
        }
        if (i + 1 < head.size() && head[i + 1] == '\n') {
            return {i + 1, 1};
        }
        if (i + 2 < head.size() && head[i + 1] == '\r' && head[i + 2] == '\n') {
            return {i + 1, 2};
        }
    }
    return {};
}

} // namespace orvanto
