#include "app/desktop_ui.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

#include "platform/messages.h"

namespace kestrel {
namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QString messageString(int number) {
    const char* text = messageText(number);
    return text ? QString::fromUtf8(text) : QString::number(number);
}

QMessageBox::StandardButton standardButton(Answer answer) {
    switch (answer) {
        case Answer::Ok:
            return QMessageBox::Ok;
        case Answer::Cancel:
            return QMessageBox::Cancel;
        case Answer::Yes:
            return QMessageBox::Yes;
        default:
            return QMessageBox::No;
    }
}

}  // namespace

void DesktopUi::showMessage(int number, MessageIcon icon) {
    showText(messageString(number).toStdString(), icon);
}

void DesktopUi::showText(const std::string& text, MessageIcon icon) {
    QMessageBox box(boxIcon(icon), QCoreApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::Ok, window_);
    box.exec();
}

Answer DesktopUi::ask(int number, MessageIcon icon, Buttons buttons, Answer defaultAnswer) {
    const bool okCancel = buttons == Buttons::OkCancel;
    QMessageBox box(
        boxIcon(icon), QCoreApplication::applicationName(), messageString(number),
        okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Yes | QMessageBox::No,
        window_);
    box.setDefaultButton(standardButton(defaultAnswer));
    switch (box.exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return okCancel ? Answer::Cancel : Answer::No;
    }
}

void DesktopUi::beep(MessageIcon) {
    QApplication::beep();
}

void DesktopUi::repaint(Repaint kind) {
    if (repaint_) {
        repaint_(kind);
    }
}

void DesktopUi::setTitle(const std::string& title) {
    if (title_) {
        title_(title);
    }
}

void DesktopUi::postExit() {
    if (window_) {
        QMetaObject::invokeMethod(window_, "close", Qt::QueuedConnection);
    }
}

}  // namespace kestrel
