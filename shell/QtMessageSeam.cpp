#include "QtMessageSeam.h"

#include "MessageSeam.h"
#include "QtWindowOwner.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer ShowQtMessage(const MessageRequest& request) {
    const bool yesNo = request.buttons != MessageButtons::Ok;
    QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    WindowOf(request.owner));
    if (request.buttons == MessageButtons::YesNoDefaultNo)
        box.setDefaultButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        // Escape or the close button on a Yes/No box.
        return yesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

} // namespace

void InstallQtMessageBoxes() {
    SetMessageHandler(ShowQtMessage);
}
