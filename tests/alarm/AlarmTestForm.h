#pragma once

#include "window/FormControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <memory>

namespace orvanto::test {

// The main window's alarm-related controls as real widgets, in their start-up state, behind
// the FormControls interface.
class AlarmTestForm final : public FormControls {
public:
    enum class Options { InButtonGroup, AutoExclusive };

    static constexpr int OptionCount = 6;

    explicit AlarmTestForm(Options options = Options::InButtonGroup) {
        window_ = std::make_unique<QWidget>();
        window_->resize(9600 / TwipsPerPixel, 9300 / TwipsPerPixel);
        combo1 = add<QComboBox>(QStringLiteral("Combo1"));
        combo2 = add<QComboBox>(QStringLiteral("Combo2"));
        for (QComboBox* box : {combo1, combo2}) {
            box->setEditable(true);
            box->hide();
        }
        for (int hour = 0; hour <= 23; ++hour) {
            combo1->addItem(QString::number(hour));
        }
        for (int minute = 0; minute <= 55; minute += 5) {
            combo2->addItem(QString::number(minute));
        }
        check1 = add<QCheckBox>(QStringLiteral("Check1"));
        check1->hide();
        picture1 = add<QLabel>(QStringLiteral("Picture1"));
        picture1->hide();
        label15 = add<QLabel>(QStringLiteral("Label15"));
        label15->setText(QStringLiteral("Alarme ON"));
        label15->resize(57, 17);
        label15->hide();
        label3 = add<QLabel>(QStringLiteral("Label3"));
        label3->hide();
        label5 = add<QLabel>(QStringLiteral("Label5"));
        command34 = add<QPushButton>(QStringLiteral("Command34"));
        command34->setText(QStringLiteral("STOP"));
        command34->hide();
        if (options == Options::InButtonGroup) {
            group = new QButtonGroup(window_.get());
        }
        for (int i = 0; i < OptionCount; ++i) {
            option[static_cast<size_t>(i)] = new QRadioButton(window_.get());
            if (group != nullptr) {
                group->addButton(option[static_cast<size_t>(i)], i);
            }
        }
        option[0]->setChecked(true);
    }

    QWidget* control(const QString& name) const override { return controls_.value(name); }
    QWidget* control(const QString& arrayName, int index) const override {
        if (arrayName != QStringLiteral("Option1") || index < 0 || index >= OptionCount) {
            return nullptr;
        }
        return option[static_cast<size_t>(index)];
    }
    QWidget* window() const override { return window_.get(); }
    int widthTwips() const override { return widthTwips_; }
    void setWidthTwips(int twips) override {
        widthTwips_ = twips;
        window_->resize(twips / TwipsPerPixel, window_->height());
    }

    // Shown as the window would show it (not hidden by the program), whether or not the
    // window itself is on screen.
    static bool shown(const QWidget* widget) { return !widget->isHidden(); }

    QComboBox* combo1 = nullptr;
    QComboBox* combo2 = nullptr;
    QCheckBox* check1 = nullptr;
    QLabel* picture1 = nullptr;
    QLabel* label15 = nullptr;
    QLabel* label3 = nullptr;
    QLabel* label5 = nullptr;
    QPushButton* command34 = nullptr;
    QButtonGroup* group = nullptr;
    std::array<QRadioButton*, OptionCount> option{};

private:
    template <typename Widget> Widget* add(const QString& name) {
        auto* widget = new Widget(window_.get());
        widget->setObjectName(name);
        controls_.insert(name, widget);
        return widget;
    }

    std::unique_ptr<QWidget> window_;
    QHash<QString, QWidget*> controls_;
    int widthTwips_ = 9600;
};

} // namespace orvanto::test
