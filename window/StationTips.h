#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAbstractButton;

namespace orvanto {

// Tooltips for the station buttons, made when the pointer asks for one, so that they always
// name what is on at that moment.
class StationTips : public QObject {
    Q_OBJECT
public:
    // The tip for the station called `name`; empty for none.
    using Provider = std::function<QString(const QString& name)>;

    explicit StationTips(QObject* parent = nullptr) : QObject(parent) {}

    void watch(QAbstractButton* button);
    void setProvider(Provider provider) { provider_ = std::move(provider); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Provider provider_;
};

} // namespace orvanto
