#include "window/ListRequests.h"

#include "core/MessageSink.h"
#include "window/ListDrop.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

} // namespace

ListRequests::ListRequests(QWidget* window) : QObject(window), window_(window) {
    window_->setAcceptDrops(true);
    window_->installEventFilter(this);
    auto* open = new QShortcut(QKeySequence::Open, window_);
    open->setObjectName(u"openListFile"_s);
    connect(open, &QShortcut::activated, this, &ListRequests::chooseFile);
    auto* address = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), window_);
    address->setObjectName(u"openListAddress"_s);
    connect(address, &QShortcut::activated, this, &ListRequests::askAddress);
}

void ListRequests::chooseFile() {
    auto* dialog = new QFileDialog(window_, u"Open a channel list"_s);
    dialog->setObjectName(u"listFileDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters({u"Channel lists (*.m3u *.m3u8 *.M3U *.M3U8)"_s, u"All files (*)"_s});
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& path) { Q_EMIT requested(path); });
    dialog->open();
}

void ListRequests::askAddress() {
    auto* dialog = new QInputDialog(window_);
    dialog->setObjectName(u"listAddressDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(u"Open a channel list"_s);
    dialog->setLabelText(u"Address of the list (http or https):"_s);
    dialog->setTextValue(u"https://"_s);
    connect(dialog, &QInputDialog::textValueSelected, this, [this](const QString& text) {
        const QString address = webListAddress(text);
        if (!address.isEmpty()) {
            Q_EMIT requested(address);
            return;
        }
        auto* box = new QMessageBox(QMessageBox::Warning, MessageSink::ErrorTitle(),
                                    u"\"%1\" is no http or https address."_s.arg(text.trimmed()),
                                    QMessageBox::Ok, window_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    dialog->open();
}

bool ListRequests::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData() != nullptr && !droppedList(*drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString source =
                drop->mimeData() != nullptr ? droppedList(*drop->mimeData()) : QString();
            if (!source.isEmpty()) {
                drop->acceptProposedAction();
                Q_EMIT requested(source);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvanto
