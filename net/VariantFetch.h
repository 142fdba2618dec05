#pragma once

#include "net/HttpGet.h"
#include "net/VariantProbe.h"

#include <QTimer>

namespace orvanto {

// Reads an adaptive stream's playlist over http(s) for its qualities: at most MaxBytes, within
// TimeoutMs, on a connection of its own.
class VariantFetch final : public QObject, public VariantProbe {
    Q_OBJECT
public:
    static constexpr qsizetype MaxBytes = 256 * 1024;
    static constexpr int TimeoutMs = 10000;

    explicit VariantFetch(QObject* parent = nullptr);
    ~VariantFetch() override;

    void start(const QUrl& url, const HttpHeaders& headers,
               std::function<void(const QList<int>& heights)> done) override;
    void abort() override;

private:
    void finish();

    HttpGet get_;
    QTimer deadline_;
    QByteArray body_;
    std::function<void(const QList<int>&)> done_;
};

} // namespace orvanto
