#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace orvanto {

class Catalogue;
class ChannelListModel;
class Favourites;

// A window listing every channel of the loaded list with its group and number of addresses.
// Typing filters by name as one types, ignoring case and accents; a box filters by group. Enter
// or a double click asks for the channel to be played; a button pins it to the station pages or
// takes it off them.
class ChannelBrowser : public QWidget {
    Q_OBJECT
public:
    // Lists stations 1..count of `catalogue`; `favourites` tells which are pinned. Both must
    // outlive the browser.
    ChannelBrowser(const Catalogue& catalogue, int count, const Favourites& favourites,
                   QWidget* parent = nullptr);
    ~ChannelBrowser() override;

    // Lists stations 1..count again, after the catalogue has changed; the filter is cleared.
    void setChannels(int count);
    // Shows the browser, raised, with the search field ready for typing.
    void present();
    // Tells the browser the favourites have changed.
    void favouritesChanged();

    ChannelListModel& model() { return *model_; }

Q_SIGNALS:
    void playRequested(const QString& name);
    void pinRequested(const QString& name);
    void unpinRequested(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter();
    void fillGroups();
    void updateControls();
    QString currentName() const;
    void playCurrent();
    void togglePin();

    const Catalogue& catalogue_;
    const Favourites& favourites_;
    ChannelListModel* model_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* groups_ = nullptr;
    QTreeView* list_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* pin_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace orvanto
